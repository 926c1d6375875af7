# Cross toolchain: 64-bit Windows PE through MinGW-w64, of the same sources as the 32-bit
# build. setup.exe ships as the 32-bit build; this one exists so that the Windows tests
# run under 64-bit Wine on machines whose kernel cannot run 32-bit programs, where the
# 32-bit Wine loader itself does not start.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run.sh)
# What scripts/wine-run.sh reads to give the tree a 64-bit prefix and loader.
set(KAVRIX_WINEARCH win64 CACHE INTERNAL "The kind of Wine prefix this tree's programs run in")
