# Cross-compiles what ships for Windows (i686) with the MinGW-w64 win32-thread
# compilers: they link no posix thread runtime, whose GetTickCount64 import
# would keep the program from loading on Windows XP.
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-i686-w64-mingw32.cmake)
set(CMAKE_C_COMPILER i686-w64-mingw32-gcc-win32)
set(CMAKE_CXX_COMPILER i686-w64-mingw32-g++-win32)
set(PELMAR_WINDOWS_XP ON)
