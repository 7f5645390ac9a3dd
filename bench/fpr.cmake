tsl_add_bench(bench_fpr SOURCES bench_fpr.cpp LIBS Tessaly devsim)
