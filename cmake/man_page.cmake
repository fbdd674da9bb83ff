# qel-lcd-sim's man page, made at build time by help2man from the program's own
# --help and --version, with the sections of qel-lcd-sim.h2m added, and installed
# gzipped to share/man/man1. Without help2man (Debian package help2man) the page
# is left out and the configure step says so.
find_program(QEL_LCD_HELP2MAN help2man)
find_program(QEL_LCD_GZIP gzip)
if(NOT QEL_LCD_HELP2MAN OR NOT QEL_LCD_GZIP)
  message(STATUS "help2man or gzip not found: qel-lcd-sim is installed without its man page")
  return()
endif()

set(page ${PROJECT_BINARY_DIR}/man/qel-lcd-sim.1)
# The program runs from PATH, so its usage line names it as a user types it.
add_custom_command(
  OUTPUT ${page}.gz
  COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/man
  COMMAND ${CMAKE_COMMAND} -E env "PATH=$<TARGET_FILE_DIR:qel-lcd-sim>:$ENV{PATH}"
          ${QEL_LCD_HELP2MAN} --no-info --section=1 "--name=run QEL_LCD display calls or decode captures on an emulated SSD1306-type panel"
          --include=${CMAKE_CURRENT_LIST_DIR}/qel-lcd-sim.h2m --output=${page} qel-lcd-sim
  COMMAND ${QEL_LCD_GZIP} -9nf ${page}
  DEPENDS qel-lcd-sim ${CMAKE_CURRENT_LIST_DIR}/qel-lcd-sim.h2m
  COMMENT "Man page of qel-lcd-sim from its --help"
  VERBATIM)
add_custom_target(qel-lcd-sim-man ALL DEPENDS ${page}.gz)
install(FILES ${page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
