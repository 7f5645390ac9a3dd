# Run by hand inside the namespace wrapper:
#   tests/netns/netns_run.sh <build>/bench/bench_discovery
tsl_add_bench(bench_discovery SOURCES bench_discovery.cpp LIBS Tessaly devsim)
target_include_directories(bench_discovery PRIVATE ${CMAKE_SOURCE_DIR}/tests)
