# Drives the kvarc binary: cmake -DKVARC=<exe> [-DKVARC_EMULATOR=a|b] -DWORK_DIR=<dir>
# -DHOST_DEVICES=ON|OFF [-DSFX_STUB_DIR=<dir>] [-DRUN_STUB=ON] -P KvarcCliTest.cmake. HOST_DEVICES is ON
# when kvarc runs natively on Linux: it enables the checks that need /dev/full or a
# directory opened as a file, and exact stderr (under Wine the emulator may add lines of
# its own). SFX_STUB_DIR holds the stubs for 'kvarc sfx'; without it those checks skip.
# RUN_STUB=ON also runs the stub through the emulator (a 32-bit tree).
# The script itself always runs on Linux; it damages archives with dd and head, since
# CMake strings cannot hold the zero bytes of an archive.

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

# Kvarc(EXIT <code> [STDERR <regex>] [STDOUT <regex>] [STDOUT_FILE <path>]
#       [STDOUT_VARIABLE <var>] ARGS <arguments...>)
# The stderr regex must match one line; natively it must be all of stderr. The variable
# gets stdout without carriage returns.
function(Kvarc)
  cmake_parse_arguments(ARG "" "EXIT;STDERR;STDOUT;STDOUT_FILE;STDOUT_VARIABLE" "ARGS" ${ARGN})
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
  if(ARG_STDOUT_VARIABLE)
    string(REPLACE "\r" "" out "${out}")
    set(${ARG_STDOUT_VARIABLE} "${out}" PARENT_SCOPE)
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

# The same files below both directories, byte for byte.
function(ExpectSameTree first second)
  file(GLOB_RECURSE firstFiles LIST_DIRECTORIES false RELATIVE "${first}" "${first}/*")
  file(GLOB_RECURSE secondFiles LIST_DIRECTORIES false RELATIVE "${second}" "${second}/*")
  list(SORT firstFiles)
  list(SORT secondFiles)
  if(NOT firstFiles STREQUAL secondFiles)
    Fail("${second} holds [${secondFiles}], expected [${firstFiles}]")
  endif()
  foreach(name IN LISTS firstFiles)
    if(EXISTS "${second}/${name}")
      ExpectSameFiles("${first}/${name}" "${second}/${name}")
    endif()
  endforeach()
  set(failures ${failures} PARENT_SCOPE)
endfunction()

# Writes the first `length` bytes of `source` to `target`.
function(Truncate source length target)
  execute_process(COMMAND head -c ${length} "${source}" OUTPUT_FILE "${target}" RESULT_VARIABLE headFailed)
  if(headFailed)
    Fail("head could not cut ${source}")
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

# Archives: a tree with nested directories, an empty file, a binary one (the packed
# sample holds every byte value, zeros too) and names with spaces, in a round trip.
set(tree "${WORK_DIR}/tree")
file(WRITE "${tree}/readme.txt" "${sample}")
file(WRITE "${tree}/empty.dat" "")
file(MAKE_DIRECTORY "${tree}/docs")
file(COPY_FILE "${WORK_DIR}/sample.optimal.lzh" "${tree}/docs/packed.bin")
file(WRITE "${tree}/docs/deep/deeper/note.txt" "deep${crlf}")
file(WRITE "${tree}/with space/a file.txt" "spaced")
# In the order the archive keeps: by path, ignoring case.
set(storedNames "docs/deep/deeper/note.txt" "docs/packed.bin" "empty.dat" "readme.txt"
                "with space/a file.txt")

set(archive "${WORK_DIR}/tree.qv2")
file(WRITE "${archive}" "not an archive yet, replaced by create")
Kvarc(EXIT 0 ARGS create "${archive}" "${tree}")
Kvarc(EXIT 0 STDOUT_VARIABLE listing ARGS list "${archive}")
string(REGEX REPLACE "\n$" "" listing "${listing}")
string(REPLACE "\n" ";" lines "${listing}")
list(LENGTH lines lineCount)
list(LENGTH storedNames nameCount)
if(NOT lineCount EQUAL nameCount)
  Fail("list: ${lineCount} lines, expected ${nameCount}: ${listing}")
else()
  # Name, size, packed size, attributes, date (with the user's decimal separator); the
  # packed sizes locate the streams below.
  set(packedSizes "")
  foreach(i RANGE 1 ${nameCount})
    math(EXPR i "${i} - 1")
    list(GET storedNames ${i} name)
    list(GET lines ${i} line)
    file(SIZE "${tree}/${name}" size)
    string(REPLACE "/" "\\\\" nameRegex "${name}")
    if(NOT line MATCHES "^${nameRegex}\t${size}\t([0-9]+)\t[0-9]+\t[0-9]+([.,][0-9]+)?$")
      Fail("list line ${i} '${line}' is not the entry ${name} of ${size} bytes")
    endif()
    list(APPEND packedSizes ${CMAKE_MATCH_1})
  endforeach()
endif()
# test says what it checked, and that damage keeping every size goes unseen.
Kvarc(EXIT 0 STDOUT "^5 entries: directory read whole, names safe, each entry decodes to its stored size\r?\n\\(the format has no checksums"
      ARGS test "${archive}")
Kvarc(EXIT 0 STDOUT "The format has no checksums: damage that keeps every size passes" ARGS help test)
Kvarc(EXIT 0 ARGS extract "${archive}" "${WORK_DIR}/out/new")
ExpectSameTree("${tree}" "${WORK_DIR}/out/new")

# Extracting again replaces what is there, a read-only file too.
file(WRITE "${WORK_DIR}/out/new/readme.txt" "older")
file(CHMOD "${WORK_DIR}/out/new/readme.txt" PERMISSIONS OWNER_READ)
file(WRITE "${WORK_DIR}/out/new/docs/packed.bin" "")
Kvarc(EXIT 0 ARGS extract "${archive}" "${WORK_DIR}/out/new")
ExpectSameTree("${tree}" "${WORK_DIR}/out/new")

# An empty directory makes an archive without entries, which extracts to a directory.
file(MAKE_DIRECTORY "${WORK_DIR}/nothing")
Kvarc(EXIT 0 ARGS create "${WORK_DIR}/nothing.qv2" "${WORK_DIR}/nothing")
Kvarc(EXIT 0 STDOUT "^$" ARGS list "${WORK_DIR}/nothing.qv2")
Kvarc(EXIT 0 ARGS extract "${WORK_DIR}/nothing.qv2" "${WORK_DIR}/out/nothing")
if(NOT IS_DIRECTORY "${WORK_DIR}/out/nothing")
  Fail("extracting an archive without entries made no directory")
endif()

# Damage in the middle of the stream of docs\packed.bin, the second entry.
file(SIZE "${archive}" archiveSize)
list(GET packedSizes 0 firstPacked)
list(GET packedSizes 1 secondPacked)
set(dataSize 0)
foreach(packed IN LISTS packedSizes)
  math(EXPR dataSize "${dataSize} + ${packed}")
endforeach()
math(EXPR damageAt "${archiveSize} - ${dataSize} + ${firstPacked} + ${secondPacked} / 2")
set(damaged "${WORK_DIR}/damaged.qv2")
file(COPY_FILE "${archive}" "${damaged}")
string(ASCII 85 170 85 170 85 170 85 170 pattern)
file(WRITE "${WORK_DIR}/pattern.bin" "${pattern}")
execute_process(COMMAND dd "if=${WORK_DIR}/pattern.bin" "of=${damaged}" bs=1 "seek=${damageAt}" conv=notrunc
                status=none RESULT_VARIABLE ddFailed)
if(ddFailed)
  Fail("dd could not damage ${damaged}")
endif()
set(damagedEntry "kvarc: Archive entry docs\\\\packed.bin is damaged")
Kvarc(EXIT 1 STDERR "${damagedEntry}" ARGS test "${damaged}")
Kvarc(EXIT 1 STDERR "${damagedEntry}" ARGS extract "${damaged}" "${WORK_DIR}/out/damaged")
ExpectSameFiles("${tree}/docs/deep/deeper/note.txt" "${WORK_DIR}/out/damaged/docs/deep/deeper/note.txt")
ExpectMissing("${WORK_DIR}/out/damaged/docs/packed.bin")

# Cut inside the last stream, and inside the directory (the entries before stay listed).
math(EXPR cutAt "${archiveSize} - 3")
Truncate("${archive}" ${cutAt} "${WORK_DIR}/cut-data.qv2")
Kvarc(EXIT 1 STDERR "kvarc: Archive entry with space\\\\a file.txt is damaged"
      ARGS test "${WORK_DIR}/cut-data.qv2")
Truncate("${archive}" 70 "${WORK_DIR}/cut-directory.qv2")
Kvarc(EXIT 1 STDOUT "^docs\\\\deep\\\\deeper\\\\note.txt\t[^\n]*\n$"
      STDERR "kvarc: The directory of archive .*cut-directory.qv2 could not be read"
      ARGS list "${WORK_DIR}/cut-directory.qv2")
Kvarc(EXIT 1 STDERR "kvarc: The directory of archive .*cut-directory.qv2 could not be read"
      ARGS extract "${WORK_DIR}/cut-directory.qv2" "${WORK_DIR}/out/cut")
Kvarc(EXIT 1 STDERR "kvarc: The directory of archive .*sample.bin could not be read"
      ARGS list "${sampleFile}")
Kvarc(EXIT 1 STDERR "kvarc: cannot open '.*missing.qv2': No such file or directory"
      ARGS extract "${WORK_DIR}/missing.qv2" "${WORK_DIR}/out/missing")
ExpectMissing("${WORK_DIR}/out/missing")
Kvarc(EXIT 1 STDERR "kvarc: '.*sample.bin' is not a directory"
      ARGS create "${WORK_DIR}/x.qv2" "${sampleFile}")
Kvarc(EXIT 1 STDERR "kvarc: '.*sample.bin' is not a directory" ARGS extract "${archive}" "${sampleFile}")

# Names extraction refuses fail list and test too, and extract writes nothing. Each
# archive holds one entry, written with printf (CMake strings hold no zero bytes).
function(ExpectRefusedName label name)
  string(LENGTH "${name}" length)
  math(EXPR length "${length} + 0" OUTPUT_FORMAT HEXADECIMAL)
  string(REGEX REPLACE "^0x(.)$" "0\\1" length "${length}")  # printf takes two hex digits
  string(REGEX REPLACE "^0x" "" length "${length}")
  string(REPLACE "\\" "\\\\" nameFormat "${name}")
  set(file "${WORK_DIR}/refused-${label}.qv2")
  execute_process(COMMAND printf "\\001\\006\\x${length}${nameFormat}\\002\\001\\002\\000\\002\\000\\002\\000\\002\\000\\000"
                  OUTPUT_FILE "${file}")
  string(REGEX REPLACE "([][\\$.()*+?^])" "\\\\\\1" nameRegex "${name}")
  set(refused "kvarc: Archive entry ${nameRegex} has an unsafe name")
  Kvarc(EXIT 1 STDOUT "^${nameRegex}\t1\t0\t0\t0" STDERR "${refused}" ARGS list "${file}")
  Kvarc(EXIT 1 STDERR "${refused}" ARGS test "${file}")
  Kvarc(EXIT 1 STDERR "${refused}" ARGS extract "${file}" "${WORK_DIR}/out/refused-${label}")
  ExpectMissing("${WORK_DIR}/out/refused-${label}")
  set(failures ${failures} PARENT_SCOPE)
endfunction()
ExpectRefusedName(traversal "..\\x.txt")
ExpectRefusedName(conin "CONIN$")
ExpectRefusedName(conout "conout$.txt")
ExpectRefusedName(clock "CLOCK$")
string(REPEAT "a\\" 64 deep)
ExpectRefusedName(deep "${deep}x")
string(REPEAT "n" 225 long)
ExpectRefusedName(long "${long}")

# Control characters of a stored name (here ESC c, which resets a terminal, and BEL)
# reach the terminal escaped, in the listing and in the message alike.
execute_process(COMMAND printf "\\001\\006\\x05a\\033c\\007b\\002\\001\\002\\000\\002\\000\\002\\000\\002\\000\\000"
                OUTPUT_FILE "${WORK_DIR}/control.qv2")
Kvarc(EXIT 1 STDOUT "^a\\\\x1Bc\\\\x07b\t1\t0\t0\t0\r?\n$"
      STDERR "kvarc: Archive entry a\\\\x1Bc\\\\x07b has an unsafe name" ARGS list "${WORK_DIR}/control.qv2")

# An entry named like the archive being read is not extracted over it.
file(WRITE "${WORK_DIR}/self/self.qv2" "an entry")
Kvarc(EXIT 0 ARGS create "${WORK_DIR}/self.qv2" "${WORK_DIR}/self")
file(COPY_FILE "${WORK_DIR}/self.qv2" "${WORK_DIR}/self/self.qv2")
Kvarc(EXIT 1 STDERR "kvarc: '.*self.qv2' would replace the archive being read"
      ARGS extract "${WORK_DIR}/self/self.qv2" "${WORK_DIR}/self")
ExpectSameFiles("${WORK_DIR}/self.qv2" "${WORK_DIR}/self/self.qv2")

# Self-extracting archives: the stub, the archive appended, string 1 says where.
if(SFX_STUB_DIR)
  set(sfx "${WORK_DIR}/tree.exe")
  Kvarc(EXIT 0 ARGS sfx "${SFX_STUB_DIR}/SfxStub.exe" "${archive}" "${sfx}")
  Kvarc(EXIT 0 STDOUT_VARIABLE sfxListing ARGS list "${sfx}")
  string(REGEX REPLACE "\n$" "" sfxListing "${sfxListing}")
  if(NOT sfxListing STREQUAL listing)
    Fail("list of the self-extracting archive: '${sfxListing}', expected '${listing}'")
  endif()
  Kvarc(EXIT 0 ARGS test "${sfx}")
  Kvarc(EXIT 0 ARGS extract "${sfx}" "${WORK_DIR}/out/sfx")
  ExpectSameTree("${tree}" "${WORK_DIR}/out/sfx")
  # Re-hosted, an archive leaves its old host behind.
  Kvarc(EXIT 0 ARGS sfx "${SFX_STUB_DIR}/SfxStub.exe" "${sfx}" "${WORK_DIR}/again.EXE")
  ExpectSameFiles("${sfx}" "${WORK_DIR}/again.EXE")
  if(emulator AND RUN_STUB)
    # Patched and extended, the image still loads and runs.
    execute_process(COMMAND ${emulator} "${sfx}" RESULT_VARIABLE ran)
    if(NOT ran EQUAL 0)
      Fail("${sfx} did not run: ${ran}")
    endif()
  endif()

  set(never "${WORK_DIR}/never.exe")
  set(field "kvarc: '.*Field.exe': string resource 1 has")
  Kvarc(EXIT 1 STDERR "${field} 2 characters, too few for the archive start [0-9]+"
        ARGS sfx "${SFX_STUB_DIR}/ShortField.exe" "${archive}" "${never}")
  Kvarc(EXIT 1 STDERR "${field} 15 characters, more than the 14 readers take"
        ARGS sfx "${SFX_STUB_DIR}/LongField.exe" "${archive}" "${never}")
  Kvarc(EXIT 1 STDERR "kvarc: '.*tree.exe': string resource 1 holds \"0+[1-9][0-9]*\", not a reserved .*"
        ARGS sfx "${sfx}" "${archive}" "${never}")
  Kvarc(EXIT 1 STDERR "kvarc: '.*sample.bin' has no string resource 1 to hold the archive start"
        ARGS sfx "${sampleFile}" "${archive}" "${never}")
  Kvarc(EXIT 1 STDERR "kvarc: The directory of archive .*sample.bin could not be read"
        ARGS sfx "${SFX_STUB_DIR}/SfxStub.exe" "${sampleFile}" "${never}")
  ExpectMissing("${never}")
else()
  message(STATUS "no sfx stubs: the self-extracting checks are skipped")
endif()

Kvarc(EXIT 2 STDERR "kvarc: create: expected ARCHIVE DIR, got 1 file name.*" ARGS create "${archive}")
Kvarc(EXIT 2 STDERR "kvarc: extract: expected ARCHIVE DIR, got 3 file names.*" ARGS extract a b c)
Kvarc(EXIT 2 STDERR "kvarc: list: expected ARCHIVE, got no file names.*" ARGS list)
Kvarc(EXIT 2 STDERR "kvarc: sfx: expected STUB.exe ARCHIVE OUT.exe, got 2 file names.*" ARGS sfx a b)
Kvarc(EXIT 2 STDERR "kvarc: sfx: '.*tree.bin' must end in .exe: readers look inside no other file for .*"
      ARGS sfx "${sampleFile}" "${archive}" "${WORK_DIR}/tree.bin")
file(COPY_FILE "${sampleFile}" "${WORK_DIR}/sample.exe")
Kvarc(EXIT 2 STDERR "kvarc: sfx: '.*sample.exe' is both input and output"
      ARGS sfx "${WORK_DIR}/sample.exe" "${archive}" "${WORK_DIR}/./sample.exe")
foreach(command create list extract test sfx)
  Kvarc(EXIT 0 STDOUT "^usage: kvarc ${command} [A-Z]" ARGS ${command} --help)
endforeach()

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
