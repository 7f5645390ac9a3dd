# The live event page under a flood of access-control events (run by hand:
# <build>/bench/bench_event_page; it prints its own figures).
if(TSL_BUILD_GUI)
  tsl_add_bench(bench_event_page SOURCES bench_event_page.cpp LIBS tessaly_gui_pages_common devsim)
endif()
