# CMake toolchain for the Cortex-M3 build: arm-none-eabi GCC with newlib-nano,
# bare metal (no operating system, no C++ runtime).
set(CMAKE_SYSTEM_NAME Generic)
set(CMAKE_SYSTEM_PROCESSOR arm)

set(CMAKE_C_COMPILER arm-none-eabi-gcc)
set(CMAKE_CXX_COMPILER arm-none-eabi-g++)
set(CMAKE_ASM_COMPILER arm-none-eabi-gcc)
set(CMAKE_OBJCOPY arm-none-eabi-objcopy CACHE FILEPATH "objcopy for the target")
set(CMAKE_SIZE arm-none-eabi-size CACHE FILEPATH "size for the target")

# Compiler checks build a library only: there is no start-up code to link a test program.
set(CMAKE_TRY_COMPILE_TARGET_TYPE STATIC_LIBRARY)

set(QEL_ARM_CPU_FLAGS "-mcpu=cortex-m3 -mthumb")
set(CMAKE_C_FLAGS_INIT "${QEL_ARM_CPU_FLAGS} -ffunction-sections -fdata-sections")
# -nostdinc++: the module must build from the C headers alone, without a C++ library.
set(CMAKE_CXX_FLAGS_INIT "${QEL_ARM_CPU_FLAGS} -ffunction-sections -fdata-sections -fno-exceptions -fno-rtti -nostdinc++")
set(CMAKE_ASM_FLAGS_INIT "${QEL_ARM_CPU_FLAGS}")
set(CMAKE_EXE_LINKER_FLAGS_INIT "${QEL_ARM_CPU_FLAGS} --specs=nano.specs -nostartfiles -Wl,--gc-sections")

# Every configuration is built for size, as the firmware ships.
foreach(lang C CXX ASM)
  foreach(config DEBUG RELEASE RELWITHDEBINFO MINSIZEREL)
    set(CMAKE_${lang}_FLAGS_${config}_INIT "-Os -g")
  endforeach()
endforeach()

set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
