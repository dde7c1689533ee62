# The converter's suites, one per unit, and zeza run end to end.
foreach(unit HexRecords HexParser BinToHex HexToBin FileSearch)
  vesk_add_test(test_${unit} converter test_${unit}.cpp)
  target_link_libraries(test_${unit} PRIVATE veskcore)
endforeach()

vesk_add_test(test_zeza converter test_zeza.cpp)
target_include_directories(test_zeza PRIVATE ${PROJECT_SOURCE_DIR})
target_compile_definitions(test_zeza PRIVATE ZEZA_PATH="$<TARGET_FILE:zeza>")
add_dependencies(test_zeza zeza)
