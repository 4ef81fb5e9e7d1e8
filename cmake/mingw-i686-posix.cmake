# The same cross build with the posix thread model, for the test programs: GoogleTest needs
# std::mutex, which the win32 model lacks. The shipped program never uses this one.
include(${CMAKE_CURRENT_LIST_DIR}/mingw-i686.cmake)

set(CMAKE_C_COMPILER i686-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER i686-w64-mingw32-g++-posix)
