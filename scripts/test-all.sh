#!/usr/bin/env bash
# Runs every test of the project, from a fresh Debian 12 machine on: installs what is
# missing, then configures, builds and tests each suite (one CMake preset, one tree):
#   host           Linux build of the portable core, tools and benchmarks (g++)
#   host-sanitize  the same under AddressSanitizer + UndefinedBehaviorSanitizer
#   mingw32        the 32-bit Windows build, its tests run under Wine
#   mingw64        the same sources built for 64-bit Windows, tested under 64-bit Wine:
#                  only on a machine whose kernel cannot run 32-bit programs (Wine's
#                  32-bit loader then does not start), where mingw32 runs only the tests
#                  that need no Wine (label build-machine)
# A suite whose configure or build fails counts as one failed test; the other suites
# still run. Ends with one line per suite and a total line; exits non-zero on any failure.
# Logs: build/logs/<suite>.log.
set -uo pipefail
# CI gives no standard input; tests and Wine get an empty one.
exec </dev/null

cd "$(dirname "${BASH_SOURCE[0]}")/.." || exit 1
repo=$(pwd -P)
readonly jobs=2
# A test that runs this long hangs; without a limit ctest would wait for ever.
readonly test_timeout=600
log_dir=$repo/build/logs

start=$SECONDS
mkdir -p "$log_dir"

if ! scripts/install-deps.sh; then
  echo "test-all: scripts/install-deps.sh failed; trying the suites anyway" >&2
fi

# Decided once the packages are there: it asks Wine's 32-bit loader.
source scripts/windows-preset.sh
readonly windows_tests=$(windows_preset)
if [ "$windows_tests" = mingw32 ]; then
  readonly suites=(host host-sanitize mingw32)
  readonly untested_suite=""
else
  readonly suites=(host host-sanitize mingw32 mingw64)
  readonly untested_suite=mingw32
fi
readonly wine_tree=build/$windows_tests

# Making the Wine prefix takes a while; it overlaps with the host builds. wine-run.sh
# serialises on the prefix lock, so a test that comes first just waits for it.
# The prefix's kind follows the tree's toolchain, so the tree is configured first.
(cmake --preset "${wine_tree#build/}" >/dev/null 2>&1
 scripts/wine-run.sh --prepare "$wine_tree") >"$log_dir/wineprefix-prepare.log" 2>&1 &
prepare_pid=$!
trap 'wait $prepare_pid 2>/dev/null; scripts/wine-run.sh --end-session "$wine_tree"' EXIT

declare -A passed failed skipped note

# Counts ctest's per-test result lines in the log $2 for suite $1:
#   "1/3 Test #1: name .........   Passed    0.10 sec"
#   "2/3 Test #2: name .........***Failed    0.20 sec"   (Timeout, Not Run, Exception, ...)
count_results() {
  local suite=$1 log=$2 line
  local result_line='^ *[0-9]+/[0-9]+ +Test +#[0-9]+: '
  while IFS= read -r line; do
    [[ $line =~ $result_line ]] || continue
    if [[ $line == *" Passed "* ]]; then
      passed[$suite]=$((passed[$suite] + 1))
    elif [[ $line == *"***Skipped"* || $line == *"(Disabled)"* ]]; then
      skipped[$suite]=$((skipped[$suite] + 1))
    else
      failed[$suite]=$((failed[$suite] + 1))
    fi
  done <"$log"
}

run_suite() {
  local suite=$1 log=$log_dir/$1.log suite_start=$SECONDS
  passed[$suite]=0 failed[$suite]=0 skipped[$suite]=0 note[$suite]=""
  : >"$log"
  echo "=== $suite: configure, build, test" | tee -a "$log"
  if ! cmake --preset "$suite" 2>&1 | tee -a "$log"; then
    failed[$suite]=1 note[$suite]=" (configure failed)"
    return
  fi
  if ! cmake --build --preset "$suite" -j"$jobs" 2>&1 | tee -a "$log"; then
    failed[$suite]=1 note[$suite]=" (build failed)"
    return
  fi
  # A tree whose programs this machine cannot run: only the tests that need no Wine.
  local only=()
  if [ "$suite" = "$untested_suite" ]; then
    only=(-L build-machine)
    note[$suite]=" (the tests that need no Wine; this machine cannot run 32-bit programs, mingw64 runs the others)"
  fi
  local test_log=$log_dir/$suite.ctest.log rc
  ctest --preset "$suite" -j"$jobs" --timeout "$test_timeout" --no-tests=error "${only[@]}" 2>&1 \
    | tee "$test_log"
  rc=${PIPESTATUS[0]}
  cat "$test_log" >>"$log"
  count_results "$suite" "$test_log"
  if [ "$rc" -ne 0 ] && [ "${failed[$suite]}" -eq 0 ]; then
    # ctest failed without a failed test: no tests, or ctest itself broke.
    failed[$suite]=1 note[$suite]=" (ctest exit code $rc)"
  fi
  echo "=== $suite: $((SECONDS - suite_start)) s" | tee -a "$log"
}

for suite in "${suites[@]}"; do
  run_suite "$suite"
done
# End the Wine session (and its Xvfb) now, so that nothing follows the summary.
wait $prepare_pid 2>/dev/null
scripts/wine-run.sh --end-session "$wine_tree"
trap - EXIT

echo "=== all suites: $((SECONDS - start)) s"
total_passed=0 total_failed=0
for suite in "${suites[@]}"; do
  extra=""
  [ "${skipped[$suite]}" -eq 0 ] || extra=", ${skipped[$suite]} skipped"
  echo "$suite: ${passed[$suite]} passed, ${failed[$suite]} failed$extra${note[$suite]}"
  total_passed=$((total_passed + passed[$suite]))
  total_failed=$((total_failed + failed[$suite]))
done
echo "$total_passed passed, $total_failed failed"
[ "$total_failed" -eq 0 ] || exit 1
