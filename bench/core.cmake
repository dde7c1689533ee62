# core
vesk_add_benchmark(core_bench core_bench.cpp)
target_link_libraries(core_bench PRIVATE veskcore)
