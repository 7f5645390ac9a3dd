# Start-up time and memory of the desktop program.
if(TSL_BUILD_GUI)
  tsl_add_bench(bench_gui_startup SOURCES bench_gui_startup.cpp LIBS tessaly_gui_shell devsim)
endif()
