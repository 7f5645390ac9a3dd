tsl_add_bench(bench_events SOURCES bench_events.cpp LIBS Tessaly devsim)
