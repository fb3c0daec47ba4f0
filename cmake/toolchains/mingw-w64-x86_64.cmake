# Cross build for 64-bit Windows with Debian's mingw-w64 (GCC with POSIX threads: std::thread
# and std::this_thread need them in GCC 12).
#   cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/mingw-w64-x86_64.cmake \
#         -DZRM58_GUI=OFF -DZRM58_BENCH=OFF
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(ZRM58_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${ZRM58_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ZRM58_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${ZRM58_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${ZRM58_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# BOTH: a GoogleTest cross-built into a prefix outside the root is found through
# CMAKE_PREFIX_PATH.
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE BOTH)

# Programs that stand alone: the C++ runtime, libgcc and winpthreads linked in, so no DLL has
# to travel with zrm58-line.exe or be found by Wine.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# ctest runs the test programs through Wine when it is there (one Wine process per entry).
find_program(ZRM58_WINE wine)
if(ZRM58_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${ZRM58_WINE})
endif()
