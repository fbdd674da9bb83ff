# The C++ runtime that a program linked by the C compiler needs for a static C++
# library: the libraries the C++ compiler links by itself and the C compiler does
# not (libstdc++ and libm with GCC), from CMake's record of both compilers.
# Included where it is used: it sets QEL_LCD_CXX_RUNTIME in the including scope.

set(QEL_LCD_CXX_RUNTIME ${CMAKE_CXX_IMPLICIT_LINK_LIBRARIES})
if(QEL_LCD_CXX_RUNTIME AND CMAKE_C_IMPLICIT_LINK_LIBRARIES)
  list(REMOVE_ITEM QEL_LCD_CXX_RUNTIME ${CMAKE_C_IMPLICIT_LINK_LIBRARIES})
endif()
list(REMOVE_DUPLICATES QEL_LCD_CXX_RUNTIME)

# Puts the C++ runtime in `target`'s link interface for programs whose linker is
# not the C++ one (a project(x C) linking the target); a C++ link has it already.
function(qel_lcd_carry_cxx_runtime target)
  foreach(library ${QEL_LCD_CXX_RUNTIME})
    target_link_libraries(${target} INTERFACE $<$<NOT:$<LINK_LANGUAGE:CXX>>:${library}>)
  endforeach()
endfunction()
