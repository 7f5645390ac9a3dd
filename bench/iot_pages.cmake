if(TARGET tessaly_gui_pages_iot)
  tsl_add_bench(bench_iot_pages SOURCES bench_iot_pages.cpp LIBS tessaly_gui_pages_iot devsim)
endif()
