# The log export into workbooks, from the simulator: needs the desktop program.
if(TARGET tessaly_gui_pages_common)
  tsl_add_bench(bench_logexport SOURCES bench_logexport.cpp LIBS tessaly_gui_pages_common devsim)
endif()
