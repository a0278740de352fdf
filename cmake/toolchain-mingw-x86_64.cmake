# Cross toolchain for the 64-bit test build (preset windows64): the same
# programs and tests as x86_64, for machines whose kernel cannot run 32-bit
# programs, where only 64-bit Wine works. What ships is the 32-bit build
# (toolchain-mingw-i686.cmake); posix thread model for the same reason.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The stand-in driver-setup tool's 64-bit build: the same compiler here.
set(KV_MINGW64_CXX x86_64-w64-mingw32-g++-posix)
