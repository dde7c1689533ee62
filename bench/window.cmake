# window
vesk_add_benchmark(bench_window window_bench.cpp)
target_link_libraries(bench_window PRIVATE veskwindow)
