# Sockets and the TCP client, over loopback only.
tsl_add_test(test_net SOURCES NetTest.cpp LIBS tessaly_internal LABELS sdk)
tsl_add_test(test_tcp_client SOURCES TcpClientTest.cpp LIBS tessaly_internal LABELS sdk)

# Discovery broadcasts, so it runs only through the namespace wrapper: the
# whole process starts inside the private namespace (the adapter table is
# taken when the library loads). One CTest entry per suite, each in
# namespaces of its own, so they can run side by side.
add_executable(test_discovery DiscoveryTest.cpp)
target_link_libraries(test_discovery PRIVATE tessaly_internal devsim GTest::gtest Threads::Threads)
target_include_directories(test_discovery PRIVATE ${CMAKE_SOURCE_DIR}/tests)
foreach(suite DiscoverySearch DiscoveryHostile DiscoverySetup)
  add_test(NAME ${suite}
    COMMAND ${CMAKE_SOURCE_DIR}/tests/netns/netns_run.sh $<TARGET_FILE:test_discovery> --gtest_filter=${suite}.*)
  set_tests_properties(${suite} PROPERTIES LABELS sdk SKIP_RETURN_CODE 77 TIMEOUT 120)
endforeach()
