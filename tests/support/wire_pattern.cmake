# The wire pattern check and the start-up stream, without gtest: used by the test
# suite and by the fuzz harness (which the fuzz preset builds without tests/).
if(NOT TARGET qel_wire_pattern)
  add_library(qel_wire_pattern STATIC
    ${CMAKE_CURRENT_LIST_DIR}/wire_pattern.cpp
    ${CMAKE_CURRENT_LIST_DIR}/startup_stream.cpp
  )
  target_include_directories(qel_wire_pattern PUBLIC ${CMAKE_CURRENT_LIST_DIR})
  target_link_libraries(qel_wire_pattern PUBLIC qel_emulator qel_pin_host PRIVATE qel_warnings)
endif()
