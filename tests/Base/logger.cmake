tsl_add_test(test_logger SOURCES LoggerTest.cpp LIBS tessaly_internal LABELS sdk)
