# The converter's suites, one per unit.
foreach(unit HexRecords HexParser BinToHex HexToBin FileNames FileSearch RunZeza)
  vesk_add_test(test_${unit} converter test_${unit}.cpp)
  target_link_libraries(test_${unit} PRIVATE veskcore)
endforeach()

# End to end: the built program, in a temporary folder, without a display.
vesk_add_test(test_zeza converter test_zeza.cpp)
target_compile_definitions(test_zeza PRIVATE ZEZA_PATH="$<TARGET_FILE:zeza>")
target_include_directories(test_zeza PRIVATE ${PROJECT_SOURCE_DIR})
add_dependencies(test_zeza zeza)
