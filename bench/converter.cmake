# Times one command and reports its peak memory, for bench/run-converter.
add_executable(bench_time bench_time.cpp)
set_target_properties(bench_time PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
