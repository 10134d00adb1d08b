# CMake toolchain: 64-bit Windows programs and DLLs from Linux, with
# MinGW-w64's GCC (Debian: g++-mingw-w64-x86-64-posix, the variant whose
# threads OpenMP's runtime needs). The tests run under Wine (windows.cmake).
#
#   cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=windows/mingw-w64.cmake \
#         -DTOOLBOX_OCTAVE=OFF -DTOOLBOX_BENCH=OFF
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(TOOLBOX_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${TOOLBOX_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TOOLBOX_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${TOOLBOX_MINGW_TRIPLE}-windres)

# Libraries and headers from the MinGW tree only; programs from the build
# machine.
set(CMAKE_FIND_ROOT_PATH /usr/${TOOLBOX_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
