tsl_add_test(test_device SOURCES DeviceTest.cpp LIBS tessaly_internal devsim LABELS sdk)
tsl_add_test(test_callback_slot SOURCES CallbackSlotTest.cpp LIBS tessaly_internal LABELS sdk)
