if(TARGET tessaly_gui_pages_fsu)
  tsl_add_bench(bench_fsu_alarm SOURCES bench_fsu_alarm.cpp LIBS tessaly_gui_pages_fsu devsim)
endif()
