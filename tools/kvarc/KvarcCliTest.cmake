# Drives the kvarc binary: cmake -DKVARC=<exe> [-DKVARC_EMULATOR=a|b] -DWORK_DIR=<dir>
# -DHOST_DEVICES=ON|OFF -P KvarcCliTest.cmake. HOST_DEVICES is ON when kvarc runs
# natively on Linux: it enables the checks that need /dev/full or a directory opened
# as a file, and exact stderr (under Wine the emulator may add lines of its own).

cmake_minimum_required(VERSION 3.25)
string(REPLACE "|" ";" emulator "${KVARC_EMULATOR}")
file(REMOVE_RECURSE "${WORK_DIR}")
file(MAKE_DIRECTORY "${WORK_DIR}")
set(failures 0)

function(Fail message)
  message(SEND_ERROR "${message}")
  math(EXPR n "${failures} + 1")
  set(failures ${n} PARENT_SCOPE)
endfunction()

# Kvarc(EXIT <code> [STDERR <regex>] [STDOUT <regex>] [STDOUT_FILE <path>] ARGS <arguments...>)
# The stderr regex must match one line; natively it must be all of stderr.
function(Kvarc)
  cmake_parse_arguments(ARG "" "EXIT;STDERR;STDOUT;STDOUT_FILE" "ARGS" ${ARGN})
  if(ARG_STDOUT_FILE)
    execute_process(COMMAND ${emulator} "${KVARC}" ${ARG_ARGS} RESULT_VARIABLE code
                    OUTPUT_FILE "${ARG_STDOUT_FILE}" ERROR_VARIABLE err)
    set(out "")
  else()
    execute_process(COMMAND ${emulator} "${KVARC}" ${ARG_ARGS} RESULT_VARIABLE code
                    OUTPUT_VARIABLE out ERROR_VARIABLE err)
  endif()
  set(what "kvarc ${ARG_ARGS}")
  if(NOT code STREQUAL ARG_EXIT)
    Fail("${what}: exit ${code}, expected ${ARG_EXIT}; stderr: ${err}")
  endif()
  if(DEFINED ARG_STDERR)
    string(REGEX REPLACE "\r" "" err "${err}")
    if(HOST_DEVICES)
      if(NOT err MATCHES "^${ARG_STDERR}\n$")
        Fail("${what}: stderr '${err}' is not one line matching '${ARG_STDERR}'")
      endif()
    else()
      string(REPLACE "\n" ";" lines "${err}")
      set(found FALSE)
      foreach(line IN LISTS lines)
        if(line MATCHES "^${ARG_STDERR}$")
          set(found TRUE)
        endif()
      endforeach()
      if(NOT found)
        Fail("${what}: no stderr line matches '${ARG_STDERR}': ${err}")
      endif()
    endif()
  elseif(ARG_EXIT EQUAL 0 AND HOST_DEVICES AND NOT err STREQUAL "")
    Fail("${what}: unexpected stderr: ${err}")
  endif()
  if(DEFINED ARG_STDOUT AND NOT out MATCHES "${ARG_STDOUT}")
    Fail("${what}: stdout does not match '${ARG_STDOUT}': ${out}")
  endif()
  set(failures ${failures} PARENT_SCOPE)
endfunction()

function(ExpectSameFiles first second)
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files "${first}" "${second}" RESULT_VARIABLE differ)
  if(differ)
    Fail("${second} differs from ${first}")
    set(failures ${failures} PARENT_SCOPE)
  endif()
endfunction()

function(ExpectMissing path)
  if(EXISTS "${path}")
    Fail("${path} was left behind")
    set(failures ${failures} PARENT_SCOPE)
  endif()
endfunction()

# Sample data: every byte value but 0 (which CMake strings cannot hold), CR LF text
# and Ctrl-Z, which a text-mode stream on Windows would alter or stop at, long
# repeats, and seeded noise.
set(allBytes "")
foreach(code RANGE 1 255)
  string(ASCII ${code} c)
  string(APPEND allBytes "${c}")
endforeach()
string(ASCII 13 10 crlf)
string(ASCII 26 ctrlZ)
set(sample "${allBytes}")
foreach(i RANGE 1 1500)
  math(EXPR squared "${i} * ${i} % 9973")
  string(APPEND sample "record ${i}: value ${squared}${crlf}")
  if(i EQUAL 700)
    string(REPEAT "${ctrlZ}" 5000 run)
    string(APPEND sample "${run}")
    string(RANDOM LENGTH 6000 ALPHABET "${allBytes}" RANDOM_SEED 20 noise)
    string(APPEND sample "${noise}")
  endif()
endforeach()
string(APPEND sample "${allBytes}")
set(sampleFile "${WORK_DIR}/sample.bin")
file(WRITE "${sampleFile}" "${sample}")
file(SIZE "${sampleFile}" sampleSize)

# Round trips in every parse mode and spelling of the option.
foreach(mode default greedy lazy optimal)
  set(packed "${WORK_DIR}/sample.${mode}.lzh")
  set(unpacked "${WORK_DIR}/sample.${mode}.out")
  if(mode STREQUAL "default")
    Kvarc(EXIT 0 ARGS encode "${sampleFile}" "${packed}")
  elseif(mode STREQUAL "lazy")
    Kvarc(EXIT 0 ARGS encode "--parse=lazy" "${sampleFile}" "${packed}")
  else()
    Kvarc(EXIT 0 ARGS encode "${sampleFile}" "${packed}" --parse ${mode})
  endif()
  Kvarc(EXIT 0 ARGS decode "${packed}" "${unpacked}")
  ExpectSameFiles("${sampleFile}" "${unpacked}")
  file(SIZE "${packed}" packedSize)
  math(EXPR limit "${sampleSize} / 2")
  if(packedSize GREATER limit)
    Fail("${mode}: ${sampleSize} bytes packed into ${packedSize}")
  endif()
endforeach()
ExpectSameFiles("${WORK_DIR}/sample.default.lzh" "${WORK_DIR}/sample.optimal.lzh")

set(empty "${WORK_DIR}/empty.bin")
file(WRITE "${empty}" "")
Kvarc(EXIT 0 ARGS encode "${empty}" "${WORK_DIR}/empty.lzh")
Kvarc(EXIT 0 ARGS decode "${WORK_DIR}/empty.lzh" "${WORK_DIR}/empty.out")
ExpectSameFiles("${empty}" "${WORK_DIR}/empty.out")

# A file name starting with '-' after '--'.
file(COPY_FILE "${sampleFile}" "${WORK_DIR}/-dash.bin")
Kvarc(EXIT 0 ARGS encode -- "${WORK_DIR}/-dash.bin" "${WORK_DIR}/-dash.lzh")
Kvarc(EXIT 0 ARGS decode -- "${WORK_DIR}/-dash.lzh" "${WORK_DIR}/-dash.out")
ExpectSameFiles("${sampleFile}" "${WORK_DIR}/-dash.out")

# Usage errors: exit 2 and nothing written.
set(out "${WORK_DIR}/never.out")
Kvarc(EXIT 2 STDERR "kvarc: no command given \\(see 'kvarc help'\\)" ARGS)
Kvarc(EXIT 2 STDERR "kvarc: unknown command 'pack' \\(see 'kvarc help'\\)" ARGS pack a b)
Kvarc(EXIT 2 STDERR "kvarc: encode: expected IN OUT, got 1 file name \\(see 'kvarc help encode'\\)"
      ARGS encode "${sampleFile}")
Kvarc(EXIT 2 STDERR "kvarc: decode: expected IN OUT, got 3 file names.*" ARGS decode a b c)
Kvarc(EXIT 2 STDERR "kvarc: encode: unknown parse 'fast' \\(expected greedy, lazy or optimal\\)"
      ARGS encode --parse fast "${sampleFile}" "${out}")
Kvarc(EXIT 2 STDERR "kvarc: encode: option '--parse' needs a value"
      ARGS encode "${sampleFile}" "${out}" --parse)
Kvarc(EXIT 2 STDERR "kvarc: encode: option '--parse' given twice"
      ARGS encode --parse lazy --parse=greedy "${sampleFile}" "${out}")
Kvarc(EXIT 2 STDERR "kvarc: decode: unknown option '--parse'"
      ARGS decode --parse lazy "${sampleFile}" "${out}")
Kvarc(EXIT 2 STDERR "kvarc: help: unknown command 'pack'" ARGS help pack)
ExpectMissing("${out}")
file(COPY_FILE "${sampleFile}" "${WORK_DIR}/self.bin")
Kvarc(EXIT 2 STDERR "kvarc: decode: '.*self.bin' is both input and output"
      ARGS decode "${WORK_DIR}/self.bin" "${WORK_DIR}/./self.bin")
ExpectSameFiles("${sampleFile}" "${WORK_DIR}/self.bin")

# Failures while running: exit 1, one line naming the file, no output left behind.
Kvarc(EXIT 1 STDERR "kvarc: cannot open '.*missing.bin': No such file or directory"
      ARGS decode "${WORK_DIR}/missing.bin" "${out}")
ExpectMissing("${out}")
Kvarc(EXIT 1 STDERR "kvarc: cannot create '.*no-such-dir/out.lzh': No such file or directory"
      ARGS encode "${sampleFile}" "${WORK_DIR}/no-such-dir/out.lzh")

Kvarc(EXIT 0 STDOUT "usage: kvarc COMMAND.*encode.*decode.*Exit status" ARGS help)
Kvarc(EXIT 0 STDOUT "usage: kvarc COMMAND" ARGS --help)
Kvarc(EXIT 0 STDOUT "usage: kvarc COMMAND" ARGS -h)
Kvarc(EXIT 0 STDOUT "^usage: kvarc encode \\[--parse greedy\\|lazy\\|optimal\\] IN OUT" ARGS help encode)
Kvarc(EXIT 0 STDOUT "^usage: kvarc decode IN OUT" ARGS decode --help)

if(HOST_DEVICES)
  # A read error (a directory opens as a file on Linux) after the output was created.
  Kvarc(EXIT 1 STDERR "kvarc: cannot read '.*kvarc_cli': Is a directory" ARGS decode "${WORK_DIR}" "${out}")
  ExpectMissing("${out}")
  if(EXISTS /dev/full)
    # Write errors surface late, at the flush; the device itself must survive.
    Kvarc(EXIT 1 STDERR "kvarc: cannot write '/dev/full': No space left on device"
          ARGS encode "${sampleFile}" /dev/full)
    Kvarc(EXIT 1 STDERR "kvarc: cannot write '/dev/full': No space left on device"
          ARGS decode "${WORK_DIR}/sample.lazy.lzh" /dev/full)
    Kvarc(EXIT 1 STDERR "kvarc: cannot write standard output: No space left on device"
          STDOUT_FILE /dev/full ARGS help)
    if(NOT EXISTS /dev/full)
      Fail("/dev/full was removed")
    endif()
  endif()
endif()

if(failures GREATER 0)
  message(FATAL_ERROR "kvarc_cli: ${failures} check(s) failed")
endif()
