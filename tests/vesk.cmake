# vesk: its command line, and the built program run as a user runs it.
vesk_add_test(test_vesk_options vesk test_vesk_options.cpp)
target_link_libraries(test_vesk_options PRIVATE veskcli)

vesk_add_test(test_vesk vesk test_vesk.cpp)
target_link_libraries(test_vesk PRIVATE veskcore)
target_compile_definitions(test_vesk PRIVATE VESK_PATH="$<TARGET_FILE:vesk>"
                                             VESK_VERSION="${PROJECT_VERSION}")
add_dependencies(test_vesk vesk)
