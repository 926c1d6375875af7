# Makes the screenshots of every appearance component and checks that each is a whole
# 24- or 32-bit BMP file: cmake -DGALLERY=<exe> -DCAPTION_TESTS=<exe> [-DEMULATOR=a|b]
# -DARTIFACTS=<dir> -P Screenshots.cmake. They stay in ARTIFACTS for anyone to look at:
# gallery.bmp (the gallery window and two caption forms) and caption.bmp (the installer's
# captions, a form with icon, buttons and logo, a tool window and the help button).

cmake_minimum_required(VERSION 3.25)
string(REPLACE "|" ";" emulator "${EMULATOR}")
file(MAKE_DIRECTORY "${ARTIFACTS}")
file(REMOVE "${ARTIFACTS}/gallery.bmp" "${ARTIFACTS}/caption.bmp")
set(failures "")

execute_process(COMMAND ${emulator} "${GALLERY}" --screenshot gallery.bmp
                WORKING_DIRECTORY "${ARTIFACTS}" RESULT_VARIABLE code OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(NOT code EQUAL 0)
  list(APPEND failures "gallery --screenshot: exit ${code}: ${out}")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E env KAVRIX_CAPTION_SCREENSHOT=caption.bmp
                        ${emulator} "${CAPTION_TESTS}" --gtest_filter=CaptionPaintTest.Screenshot
                WORKING_DIRECTORY "${ARTIFACTS}" RESULT_VARIABLE code OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(NOT code EQUAL 0 OR out MATCHES "SKIPPED")
  list(APPEND failures "the caption screenshot test: exit ${code}: ${out}")
endif()

foreach(shot gallery caption)
  set(file "${ARTIFACTS}/${shot}.bmp")
  if(NOT EXISTS "${file}")
    list(APPEND failures "no ${file}")
    continue()
  endif()
  file(SIZE "${file}" size)
  file(READ "${file}" header LIMIT 30 HEX)
  string(SUBSTRING "${header}" 0 4 magic)
  string(SUBSTRING "${header}" 4 8 sizeField)
  string(SUBSTRING "${header}" 56 4 bitsPerPixel)
  # The file size field, little-endian, must be the file's own.
  set(recorded 0)
  foreach(position 6 4 2 0)
    string(SUBSTRING "${sizeField}" ${position} 2 digits)
    math(EXPR recorded "${recorded} * 256 + 0x${digits}")
  endforeach()
  if(NOT magic STREQUAL "424d" OR NOT bitsPerPixel MATCHES "^(1800|2000)$" OR NOT recorded EQUAL size)
    list(APPEND failures "${file} is no whole 24- or 32-bit BMP (header ${header}, ${size} bytes)")
  else()
    message(STATUS "screenshot: ${file}")
  endif()
endforeach()

if(failures)
  string(REPLACE ";" "\n  " failures "${failures}")
  message(FATAL_ERROR "screenshots:\n  ${failures}")
endif()
