tsl_add_bench(bench_device SOURCES bench_device.cpp LIBS Tessaly devsim)
target_include_directories(bench_device PRIVATE ${CMAKE_SOURCE_DIR}/tests)
