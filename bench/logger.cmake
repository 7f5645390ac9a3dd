# The logger against spdlog's asynchronous file logger (Debian libspdlog-dev).
find_package(spdlog CONFIG QUIET)
if(spdlog_FOUND)
  tsl_add_bench(bench_logger SOURCES bench_logger.cpp LIBS tessaly_internal spdlog::spdlog)
else()
  message(STATUS "spdlog not found: bench_logger is not built")
endif()
