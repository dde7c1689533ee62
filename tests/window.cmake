# window
vesk_add_test(test_HexRows window test_HexRows.cpp)
target_link_libraries(test_HexRows PRIVATE veskcore)

find_package(Qt6 REQUIRED COMPONENTS Test)
# Widget suites: the real window, offscreen, with their own main().
foreach(suite test_FrmMain test_FrmMainFiles test_FrmMainBoard test_HexView test_FrmOption
              test_QtLauncher test_QtMessages)
  vesk_add_test(${suite} window ${suite}.cpp window_test_main.cpp)
  target_link_libraries(${suite} PRIVATE veskwindow Qt6::Test)
endforeach()
# Window-system events (the window manager's close) are queued through Qt's private API.
target_link_libraries(test_FrmMainBoard PRIVATE Qt6::GuiPrivate)

# The built VeskEprom under openbox on Xvfb: a window manager's close during a read.
add_test(NAME wm_close_during_read
         COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/wm_close_during_read.sh $<TARGET_FILE:VeskEprom>)
set_tests_properties(wm_close_during_read PROPERTIES LABELS window SKIP_RETURN_CODE 77 TIMEOUT 600)

# The built VeskEprom, ended by signals, a lost display and chip files it cannot keep.
vesk_add_test(test_VeskEpromEndings window test_VeskEpromEndings.cpp)
target_compile_definitions(test_VeskEpromEndings PRIVATE VESKEPROM_PATH="$<TARGET_FILE:VeskEprom>")
add_dependencies(test_VeskEpromEndings VeskEprom)
