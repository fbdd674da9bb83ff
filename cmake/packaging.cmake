# Installation the way C and C++ libraries install: the program, the two public
# headers, the kit's static library, the module's source for firmware, a CMake
# package (find_package(QEL_LCD CONFIG) gives QEL_LCD::panel and QEL_LCD::module),
# a pkg-config file, and a Debian package through CPack. The host PIN stand-in's
# ti/drivers/PIN.h is not installed: the library is already built with it, and a
# firmware brings its own platform's header.
include(CMakePackageConfigHelpers)

set(QEL_LCD_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/QEL_LCD)

if(TARGET qel-lcd-sim)
  install(TARGETS qel-lcd-sim RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
install(FILES ${PROJECT_SOURCE_DIR}/Application/QEL_LCD.h ${PROJECT_SOURCE_DIR}/kit/qel_panel.h
        DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(FILES ${PROJECT_SOURCE_DIR}/Application/QEL_LCD.cpp DESTINATION ${CMAKE_INSTALL_DATADIR}/QEL_LCD/module)
install(TARGETS qel_panel qel_lcd_module EXPORT QEL_LCDTargets
        ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR})
install(EXPORT QEL_LCDTargets NAMESPACE QEL_LCD:: DESTINATION ${QEL_LCD_CMAKE_DIR})

configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/QEL_LCDConfig.cmake.in
                              ${PROJECT_BINARY_DIR}/QEL_LCDConfig.cmake INSTALL_DESTINATION ${QEL_LCD_CMAKE_DIR})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/QEL_LCDConfigVersion.cmake COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/QEL_LCDConfig.cmake ${PROJECT_BINARY_DIR}/QEL_LCDConfigVersion.cmake
        DESTINATION ${QEL_LCD_CMAKE_DIR})

configure_file(${CMAKE_CURRENT_LIST_DIR}/qel-lcd-panel.pc.in ${PROJECT_BINARY_DIR}/qel-lcd-panel.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/qel-lcd-panel.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)

# The Debian package carries the MIT licence as its copyright file.
install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/qel-lcd RENAME copyright)

set(CPACK_PACKAGE_NAME qel-lcd)
set(CPACK_PACKAGE_VENDOR "QEL_LCD developers")
set(CPACK_PACKAGE_CONTACT "QEL_LCD developers <qel-lcd@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION devel)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libpng-dev, libzip4, libstdc++6")  # libzip4: qel-lcd-sim reads and writes sigrok sessions
include(CPack)
