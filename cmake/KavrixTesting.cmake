# GoogleTest is built from Debian's sources in every tree, so the host, sanitizer
# and MinGW builds test with the same framework code.
set(KAVRIX_GTEST_SOURCE_DIR "/usr/src/googletest" CACHE PATH "GoogleTest source tree")
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
add_subdirectory(${KAVRIX_GTEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)

# kavrix_add_test(<name> SOURCES <files...> LIBRARIES <targets...>)
# One test program is one CTest test, so a suite under Wine costs one process start;
# in the cross build CTest runs it through the emulator.
function(kavrix_add_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBRARIES" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBRARIES} GTest::gtest_main)
  add_test(NAME ${name} COMMAND ${name} --gtest_brief=1)
  set_tests_properties(${name} PROPERTIES ENVIRONMENT "KAVRIX_TEST_DATA=${PROJECT_SOURCE_DIR}/tests/data")
endfunction()
