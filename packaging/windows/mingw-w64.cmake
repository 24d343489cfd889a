# Cross-compiling for 64-bit Windows with Debian's MinGW-w64 (the POSIX-threads variant, which
# Qt's std::thread and std::mutex need). The Windows SDK carries a copy of this file, so that the
# Qt it builds keeps working wherever this work tree is cloned.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

# Libraries, headers and CMake packages come from the MinGW sysroot and the SDK only, never from
# the Debian host; programs (moc, rcc, ...) come from the host.
get_filename_component(_tahsilmatik_sdk "${CMAKE_CURRENT_LIST_DIR}" ABSOLUTE)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32 "${_tahsilmatik_sdk}")
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
