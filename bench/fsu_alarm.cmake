if(TARGET tessaly_gui)
  tsl_add_bench(bench_fsu_alarm SOURCES bench_fsu_alarm.cpp LIBS tessaly_gui devsim)
endif()
