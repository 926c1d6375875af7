# Cross toolchain: 64-bit Windows PE of the same sources as the 32-bit build. setup.exe
# ships as the 32-bit build; this one exists so that the Windows tests run under 64-bit
# Wine on machines whose kernel cannot run 32-bit programs, where the 32-bit Wine loader
# itself does not start.
set(KAVRIX_MINGW_PROCESSOR x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/MinGWToolchain.cmake)
# What scripts/wine-run.sh reads to give the tree a 64-bit prefix and loader.
set(KAVRIX_WINEARCH win64 CACHE INTERNAL "The kind of Wine prefix this tree's programs run in")
