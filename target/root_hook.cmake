# Included after the root project() by the arm preset: adds the Cortex-M3 build
# to the root project. The host targets of the root are defined there but never
# built by that preset.
add_subdirectory("${CMAKE_CURRENT_LIST_DIR}" target)
