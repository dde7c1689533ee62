# window
vesk_add_test(test_HexRows window test_HexRows.cpp)
target_link_libraries(test_HexRows PRIVATE veskcore)

find_package(Qt6 REQUIRED COMPONENTS Test)
# Widget suites: the real window, offscreen, with their own main().
foreach(suite test_FrmMain test_FrmMainFiles test_FrmMainBoard test_HexView test_FrmOption
              test_QtLauncher)
  vesk_add_test(${suite} window ${suite}.cpp window_test_main.cpp)
  target_link_libraries(${suite} PRIVATE veskwindow Qt6::Test)
endforeach()

# The built VeskEprom, ended by signals, a lost display and chip files it cannot keep.
vesk_add_test(test_VeskEpromEndings window test_VeskEpromEndings.cpp)
target_compile_definitions(test_VeskEpromEndings PRIVATE VESKEPROM_PATH="$<TARGET_FILE:VeskEprom>")
add_dependencies(test_VeskEpromEndings VeskEprom)
