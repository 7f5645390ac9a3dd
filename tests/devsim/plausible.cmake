tsl_add_test(test_devsim_plausible SOURCES ${CMAKE_CURRENT_LIST_DIR}/PlausibleTest.cpp
  LIBS Tessaly devsim devsim_plausible LABELS devsim)
