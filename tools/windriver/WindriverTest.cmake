# The driver against its fixture: a script that uses every command must pass and leave
# screenshots that show the fixture; a step that fails and a script that is wrong must
# end the run non-zero with a message that names the step, what was expected and found.
#
# Inputs: WINDRIVER, FIXTURE (built next to each other), EMULATOR ('|' for ';'), SCRIPT,
# WORK_DIR.

string(REPLACE "|" ";" emulator "${EMULATOR}")
file(REMOVE_RECURSE "${WORK_DIR}")
file(MAKE_DIRECTORY "${WORK_DIR}")
get_filename_component(driverDir "${WINDRIVER}" DIRECTORY)
get_filename_component(fixtureDir "${FIXTURE}" DIRECTORY)
if(NOT driverDir STREQUAL fixtureDir)
  message(FATAL_ERROR "the fixture must sit next to the driver, which starts it by name")
endif()

set(failures "")

# Runs the driver with ARGN in WORK_DIR; sets rc and out.
macro(run_driver)
  execute_process(COMMAND ${emulator} "${WINDRIVER}" ${ARGN}
    WORKING_DIRECTORY "${WORK_DIR}"
    RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out
    TIMEOUT 120)
  string(REPLACE "\r" "" out "${out}")
endmacro()

# Functions, not macros: a macro would take the backslashes of a pattern a second time.
function(fail what text)
  list(APPEND failures "${what}: ${text}")
  set(failures "${failures}" PARENT_SCOPE)
  # The run's output, once per run.
  get_property(shown GLOBAL PROPERTY windriverShownOutputs)
  if(NOT what IN_LIST shown)
    set_property(GLOBAL APPEND PROPERTY windriverShownOutputs "${what}")
    message("--- output of ${what} ---\n${out}")
  endif()
endfunction()

function(expect_output what regex)
  if(NOT out MATCHES "${regex}")
    fail("${what}" "the output does not match '${regex}'")
    set(failures "${failures}" PARENT_SCOPE)
  endif()
endfunction()

function(expect_rc what expected)
  if(NOT rc STREQUAL "${expected}")
    fail("${what}" "exit code ${rc}, expected ${expected}")
    set(failures "${failures}" PARENT_SCOPE)
  endif()
endfunction()

# Reads a little-endian 32-bit value at `offset` of the hex dump `hex`.
function(read_le32 hex offset outVar)
  math(EXPR at "${offset} * 2")
  set(value 0)
  foreach(byte 3 2 1 0)
    math(EXPR position "${at} + ${byte} * 2")
    string(SUBSTRING "${hex}" ${position} 2 digits)
    math(EXPR value "${value} * 256 + 0x${digits}")
  endforeach()
  set(${outVar} ${value} PARENT_SCOPE)
endfunction()

# 1. Every command, against the fixture.
run_driver("${SCRIPT}")
expect_rc("the fixture walk" 0)
expect_output("the fixture walk" "all [0-9]+ steps passed")
expect_output("the fixture walk" "the fixture answered Cancel, No and Yes")
# The dump while the fixture was busy says so; the last lists the form's controls with
# their states.
expect_output("the fixture walk" "KavrixWindow \"Fixture\" [^\n]* \\(not answering\\)\n")
expect_output("the fixture walk" "Button \"&Enable\"[^\n]* unchecked")
expect_output("the fixture walk" "msctls_progress32 [^\n]*position 40 of 0\\.\\.100")
expect_output("the fixture walk" "answered in [0-9]+ ms\n")
expect_output("the fixture walk" "walked [0-9]+ ms\n")
expect_output("the fixture walk" "peak private bytes [0-9]+, peak working set [1-9][0-9]+\n")
expect_output("the fixture walk" "ListBox [^\n]*selected 2, items: \"alpha\" \"beta\" \"gamma\"")

# The window screenshot is the form's size, in 24 bits, and shows its magenta face;
# the screen shot covers the screen.
foreach(shot window screen)
  if(NOT EXISTS "${WORK_DIR}/fixture-${shot}.bmp")
    list(APPEND failures "no fixture-${shot}.bmp")
    continue()
  endif()
  file(READ "${WORK_DIR}/fixture-${shot}.bmp" header LIMIT 54 HEX)
  read_le32("${header}" 18 width)
  read_le32("${header}" 22 height)
  string(SUBSTRING "${header}" 56 4 bitsPerPixel)
  string(SUBSTRING "${header}" 0 4 magic)
  set(${shot}Size "${width}x${height}")
  if(NOT magic STREQUAL "424d" OR NOT bitsPerPixel STREQUAL "1800")
    list(APPEND failures "fixture-${shot}.bmp is no 24-bit BMP (header ${header})")
  endif()
endforeach()
if(NOT windowSize STREQUAL "420x260")
  list(APPEND failures "the window screenshot is ${windowSize}, the form 420x260")
endif()
if(NOT screenSize MATCHES "^[0-9]+x[0-9]+$" OR screenSize STREQUAL "0x0" OR screenSize STREQUAL windowSize)
  list(APPEND failures "the screen screenshot is ${screenSize}")
endif()
# A magenta pixel (blue, green, red bytes) at the start of a row of the window shot:
# the form's left border is three pixels wide, its face begins after it.
file(READ "${WORK_DIR}/fixture-window.bmp" hex HEX)
string(FIND "${hex}" "ff00ffff00ffff00ff" magenta)
if(magenta EQUAL -1)
  list(APPEND failures "the window screenshot does not show the fixture's magenta face")
endif()

# 2. A step that fails: non-zero, the step, the expectation, what was found, the
# window tree; the started fixture is ended.
run_driver(-e "start windriver_fixture.exe" -e "window Fixture KavrixWindow &Step" -e "timeout 1"
           -e "expect-text Edit 0 wrong" -e "echo not reached")
expect_rc("the failing step" 1)
expect_output("the failing step" "step 4 FAILED \\(argument 8\\): expect-text Edit 0 wrong\n")
expect_output("the failing step" "current window: \"Fixture\" \\(KavrixWindow\\)")
expect_output("the failing step" "expected: Edit number 0 with the text \"wrong\" within 1 s\n")
expect_output("the failing step" "found: +the text \"\\\\\"\n")
expect_output("the failing step" "visible top-level windows")
expect_output("the failing step" "Button \"&Step\"")
expect_output("the failing step" "ended windriver_fixture.exe")
if(out MATCHES "not reached")
  list(APPEND failures "the failing step: the run went on after the failure")
endif()

# The caption alone finds the topmost of the two "Fixture" windows, the one without
# buttons; the class and child text told them apart above.
run_driver(-e "start windriver_fixture.exe" -e "window Fixture KavrixWindow &Step" -e "window Fixture"
           -e "timeout 1" -e "click &Step")
expect_rc("the caption alone" 1)
expect_output("the caption alone" "found: +no button \"&Step\" in the current window\n")

# A program busy in a handler is not responsive, and the step says so at once.
run_driver(-e "start windriver_fixture.exe" -e "window Fixture KavrixWindow &Step" -e "click &Busy"
           -e "sleep 200" -e "expect-responsive 300")
expect_rc("the busy program" 1)
expect_output("the busy program" "expected: an answer to WM_NULL within 300 ms\n")
expect_output("the busy program" "found: +no answer from ")

# A window that never comes: the wait ends at the timeout and says what there was.
run_driver(-e "timeout 1" -e "window \"No such window\"")
expect_rc("the missing window" 1)
expect_output("the missing window" "expected: a visible window matching \"No such window\" within 1 s\n")
expect_output("the missing window" "found: +no visible window captioned \"No such window\"")

# 3. Wrong scripts stop before the first step runs.
run_driver(-e "echo first" -e "frobnicate now")
expect_rc("an unknown command" 2)
expect_output("an unknown command" "argument 4: frobnicate now: unknown command \"frobnicate\"")
if(out MATCHES "first")
  list(APPEND failures "an unknown command: steps ran before the script was checked")
endif()
run_driver(-e "check &Enable maybe")
expect_rc("an unfit argument" 2)
expect_output("an unfit argument" "argument 2 must be on or off; usage: check <button text> <on\\|off>")
run_driver(-e "window \"Fixture")
expect_rc("an open quote" 2)
expect_output("an open quote" "no closing quote")
run_driver("${WORK_DIR}/no-such-script.txt")
expect_rc("a missing script" 2)
expect_output("a missing script" "cannot open the script")

if(failures)
  list(JOIN failures "\n  " text)
  message(FATAL_ERROR "windriver test failed:\n  ${text}")
endif()
message(STATUS "windriver: every command and failure report checked")
