# Installation the way C and C++ libraries install: the program and its man page,
# the public headers (the module's, the kit's C interface and its optional C++
# checks), the kit's static library, the module's source for firmware, a CMake
# package (find_package(QEL_LCD CONFIG) gives QEL_LCD::panel and QEL_LCD::module),
# a pkg-config file, the README, and a Debian package through CPack (made from
# the package preset: cpack --preset deb). The host PIN stand-in's ti/drivers/PIN.h is
# not installed: the library is already built with it, and a firmware brings its
# own platform's header.
include(CMakePackageConfigHelpers)
include(${CMAKE_CURRENT_LIST_DIR}/cxx_runtime.cmake)

set(QEL_LCD_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/QEL_LCD)

set(QEL_LCD_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/qel-lcd)  # Debian's place: the package's name

if(TARGET qel-lcd-sim)
  install(TARGETS qel-lcd-sim RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  include(${CMAKE_CURRENT_LIST_DIR}/man_page.cmake)
endif()
install(FILES ${PROJECT_SOURCE_DIR}/Application/QEL_LCD.h ${PROJECT_SOURCE_DIR}/kit/qel_panel.h
              ${PROJECT_SOURCE_DIR}/kit/qel_panel.hpp DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(FILES ${PROJECT_SOURCE_DIR}/Application/QEL_LCD.cpp DESTINATION ${CMAKE_INSTALL_DATADIR}/QEL_LCD/module)
install(TARGETS qel_panel qel_lcd_module EXPORT QEL_LCDTargets
        ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR})
install(EXPORT QEL_LCDTargets NAMESPACE QEL_LCD:: DESTINATION ${QEL_LCD_CMAKE_DIR})

configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/QEL_LCDConfig.cmake.in
                              ${PROJECT_BINARY_DIR}/QEL_LCDConfig.cmake INSTALL_DESTINATION ${QEL_LCD_CMAKE_DIR})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/QEL_LCDConfigVersion.cmake COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/QEL_LCDConfig.cmake ${PROJECT_BINARY_DIR}/QEL_LCDConfigVersion.cmake
        DESTINATION ${QEL_LCD_CMAKE_DIR})

# The pkg-config file's link line carries the C++ runtime, as the CMake target does.
list(TRANSFORM QEL_LCD_CXX_RUNTIME PREPEND -l OUTPUT_VARIABLE QEL_LCD_PC_CXX_RUNTIME)
list(JOIN QEL_LCD_PC_CXX_RUNTIME " " QEL_LCD_PC_CXX_RUNTIME)
configure_file(${CMAKE_CURRENT_LIST_DIR}/qel-lcd-panel.pc.in ${PROJECT_BINARY_DIR}/qel-lcd-panel.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/qel-lcd-panel.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)

# The Debian package carries the MIT licence as its copyright file, and the README.
install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION ${QEL_LCD_DOC_DIR} RENAME copyright)
install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION ${QEL_LCD_DOC_DIR})

set(CPACK_PACKAGE_NAME qel-lcd)
set(CPACK_PACKAGE_VENDOR "QEL_LCD developers")
set(CPACK_PACKAGE_CONTACT "QEL_LCD developers <qel-lcd@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION devel)
# The program's shared libraries are found in its binary (dpkg-shlibdeps). A test
# that links the kit's static library also needs libpng, giflib, libcrypto and
# the C++ runtime to link against, so those development packages are declared by name.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libpng-dev, libgif-dev, libssl-dev, libstdc++-dev")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
# Warns when the package is made from a build with debug information.
configure_file(${CMAKE_CURRENT_LIST_DIR}/cpack_checks.cmake.in ${PROJECT_BINARY_DIR}/cpack_checks.cmake @ONLY)
set(CPACK_PROJECT_CONFIG_FILE ${PROJECT_BINARY_DIR}/cpack_checks.cmake)
include(CPack)
