if(TARGET tessaly_gui)
  tsl_add_bench(bench_iot_pages SOURCES bench_iot_pages.cpp LIBS tessaly_gui devsim)
endif()
