tsl_add_test(test_devsim SOURCES ${CMAKE_CURRENT_LIST_DIR}/SimServerTest.cpp LIBS devsim LABELS devsim)

if(TARGET tessaly-devsim)
  add_test(NAME devsim_program COMMAND tessaly-devsim --all --port 0 --seconds 0.2)
  set_tests_properties(devsim_program PROPERTIES LABELS devsim
    PASS_REGULAR_EXPRESSION "device type 105 listening on 127\\.0\\.0\\.1:[0-9]+ \\(user admin\\)")
endif()
