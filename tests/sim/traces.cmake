# Tests of the panel pictures and waveform traces: PNG, text view, VCD writer and reader.
find_package(PNG REQUIRED)
add_executable(trace_tests
  ${CMAKE_CURRENT_LIST_DIR}/png_writer_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/terminal_view_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/vcd_reader_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/vcd_round_trip_test.cpp
)
target_link_libraries(trace_tests PRIVATE qel_sim qel_test_support PNG::PNG GTest::gtest_main qel_warnings)
gtest_discover_tests(trace_tests)
