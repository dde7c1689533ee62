# core
foreach(unit checksum catalogue mdl_rw commands board_simulator ppdev image_files board_timing
             chip_file)
  vesk_add_test(test_${unit} core test_${unit}.cpp)
  target_link_libraries(test_${unit} PRIVATE veskcore)
endforeach()
