# Event-loop lateness while a device keeps the desktop program waiting.
if(TARGET tessaly_gui_pages_common)
  tsl_add_bench(bench_responsive SOURCES bench_responsive.cpp LIBS tessaly_gui_pages_common devsim)
endif()
