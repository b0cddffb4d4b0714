# Cross build for 64-bit Windows with MinGW-w64 (the posix-threads compilers).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

# Their headers and libraries, for find_*: beside the compilers' own folder.
find_program(JUMPDECK_MINGW_GCC ${CMAKE_C_COMPILER} REQUIRED)
get_filename_component(mingw_root "${JUMPDECK_MINGW_GCC}/../../x86_64-w64-mingw32" ABSOLUTE)
set(CMAKE_FIND_ROOT_PATH ${mingw_root})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
