tsl_add_test(test_device SOURCES DeviceTest.cpp LIBS tessaly_internal devsim LABELS sdk)
