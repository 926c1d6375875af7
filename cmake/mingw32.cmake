# Cross toolchain: 32-bit Windows PE, the build that ships.
set(KAVRIX_MINGW_PROCESSOR i686)
include(${CMAKE_CURRENT_LIST_DIR}/MinGWToolchain.cmake)
