#!/usr/bin/env bash
# Runs a Windows program under Wine in the build tree's own prefix: a 32-bit one for the
# mingw32 tree, a 64-bit one for a tree built with the 64-bit toolchain (mingw64). It is
# the cross builds' CMAKE_CROSSCOMPILING_EMULATOR, so every ctest test of those trees
# comes here.
#
#   wine-run.sh PROGRAM [ARGS...]     run PROGRAM, exit with its exit code
#   wine-run.sh --prepare [BUILD_DIR] only create the prefix (if it is not there yet)
#   wine-run.sh --end-session [BUILD_DIR]
#                                     end every Wine process of the prefix and its Xvfb
#
# The prefix is BUILD_DIR/wineprefix. BUILD_DIR is the nearest folder above PROGRAM that
# holds a CMakeCache.txt (so any program of a build tree, run by ctest or by hand, finds
# its tree), else the nearest above the current folder, else build/mingw32 of this
# repository. KAVRIX_WINEPREFIX overrides the prefix; KAVRIX_WINEDEBUG overrides
# WINEDEBUG=-all when Wine's own log is wanted.
#
# Cost model: the prefix is made once per tree (about 10 s, under a lock so parallel tests
# don't race), and one wineserver session is kept alive between programs (a started
# program then costs well under a second instead of a new session's boot). Without
# DISPLAY the session gets one Xvfb of its own, which lives exactly as long as the
# session's wineserver, so GUI programs have a screen and the X server never goes away
# under a running Wine.
set -uo pipefail

# Bump when the prefix set-up below changes: existing prefixes are then made anew.
readonly PREFIX_VERSION=2
# Seconds the wineserver session outlives its last program.
readonly SESSION_LINGER=${KAVRIX_WINE_LINGER:-15}
readonly SCREEN="1024x768x24"

script_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd -P)
script_path=$script_dir/$(basename "${BASH_SOURCE[0]}")
repo_dir=$(dirname "$script_dir")

die() {
  echo "wine-run: $*" >&2
  exit 125
}

# Wine's loader of the prefix's kind (set_wine_environment chooses it).
wine() {
  "$wine_loader" "$@"
}

# Prints the nearest folder at or above $1 that holds a CMakeCache.txt. Folders inside
# CMakeFiles/ (try_compile scratch projects) do not count.
find_build_dir() {
  local dir=${1%%/CMakeFiles/*}
  while [ -n "$dir" ] && [ "$dir" != / ]; do
    if [ -f "$dir/CMakeCache.txt" ]; then
      printf '%s\n' "$dir"
      return 0
    fi
    dir=$(dirname "$dir")
  done
  return 1
}

# Sets the global prefix from the override, from $1 (a build folder), or from the
# program path $2 and the current folder.
choose_prefix() {
  local build_dir=${1:-} program=${2:-} dir
  if [ -n "${KAVRIX_WINEPREFIX:-}" ]; then
    prefix=$KAVRIX_WINEPREFIX
    return
  fi
  if [ -z "$build_dir" ] && [[ $program == */* ]] \
     && dir=$(cd "$(dirname "$program")" 2>/dev/null && pwd -P); then
    build_dir=$(find_build_dir "$dir") || build_dir=""
  fi
  [ -n "$build_dir" ] || build_dir=$(find_build_dir "$(pwd -P)") || build_dir=$repo_dir/build/mingw32
  mkdir -p "$build_dir" || die "cannot create $build_dir"
  prefix=$(cd "$build_dir" && pwd -P)/wineprefix
}

set_wine_environment() {
  # A tree whose toolchain asks for it (mingw64) gets a 64-bit prefix and loader;
  # everything else the 32-bit ones the shipped programs are built for.
  if grep -qsx 'KAVRIX_WINEARCH:INTERNAL=win64' "$(dirname "$prefix")/CMakeCache.txt"; then
    wine_loader=/usr/lib/wine/wine64
    export WINEARCH=win64 WINELOADER=$wine_loader
  else
    wine_loader=/usr/lib/wine/wine
    export WINEARCH=win32
    unset WINELOADER
  fi
  export WINEPREFIX=$prefix
  export WINEDEBUG=${KAVRIX_WINEDEBUG:--all}
  # No Mono/Gecko download prompts; winemenubuilder would write .desktop files into
  # the Linux home for every shortcut a program saves.
  export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d${WINEDLLOVERRIDES:+;$WINEDLLOVERRIDES}"
  unset WINESERVER
  lock_file=$prefix.lock
  display_file=$prefix.display
}

# True when a wineserver serves the prefix (`wineserver -w` returns at once otherwise).
server_running() {
  timeout 0.3 wineserver -w >/dev/null 2>&1
  [ $? -eq 124 ]
}

# Must be called with the lock held. Makes the prefix unless it is complete and current.
ensure_prefix_locked() {
  local stamp=$prefix/.kavrix-prefix
  [ "$(cat "$stamp" 2>/dev/null)" = "$PREFIX_VERSION" ] && return 0
  local log=$prefix.log
  echo "wine-run: creating the Wine prefix $prefix (log: $log)" >&2
  if [ -d "$prefix" ]; then
    wineserver -k >/dev/null 2>&1
    wineserver -w >/dev/null 2>&1
    rm -rf "$prefix"
  fi
  (
    set -e
    wine wineboot.exe -i
    wineserver -w
    # Managed=N: Wine draws captions and frames itself (there is no window manager), and
    # hiding a window takes milliseconds instead of about 2 s.
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f
    # FindExecutable of a .txt file fails (error 31) without the association.
    wine reg add 'HKCR\.txt' /ve /d txtfile /f
    # A crashing program ends at once with its report instead of waiting in winedbg.
    wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Debugger /d '' /f
    # Without them Tahoma and MS Shell Dlg fall back to DejaVu Sans and there is no Marlett.
    cp /usr/share/wine/fonts/*.ttf "$prefix/drive_c/windows/Fonts/"
    # The registry files are written when the server ends.
    wineserver -w
  ) </dev/null >"$log" 2>&1 9>&-
  local rc=$?
  if [ $rc -ne 0 ]; then
    wineserver -k >/dev/null 2>&1
    tail -n 20 "$log" >&2
    die "creating the Wine prefix failed (exit code $rc)"
  fi
  echo "$PREFIX_VERSION" >"$stamp"
}

# Must be called with the lock held. Makes sure a wineserver session runs for the prefix
# with its stdio detached (a server started by a program would hold that program's
# stdout open), and, without DISPLAY, that the session has its Xvfb; exports DISPLAY.
ensure_session_locked() {
  # Exit code 2: a server already runs. A fresh server waits for its first client.
  local new_server=false
  wineserver -p"$SESSION_LINGER" </dev/null >/dev/null 2>&1 9>&- && new_server=true
  [ -n "${DISPLAY:-}" ] && return 0

  local display="" xpid="" rest=""
  read -r display xpid rest 2>/dev/null <"$display_file"
  if is_alive "$xpid" && [ -S "/tmp/.X11-unix/X${display#:}" ]; then
    export DISPLAY=$display
    return 0
  fi
  command -v Xvfb >/dev/null || die "no DISPLAY and no Xvfb (run scripts/install-deps.sh)"
  local handoff_dir tries=0
  handoff_dir=$(mktemp -d) || die "mktemp failed"
  # setsid: Ctrl-C in the terminal or ctest ending a test must not end the shared server.
  setsid "$script_path" --session-x "$prefix" "$handoff_dir/display" \
    </dev/null >/dev/null 2>&1 9>&- &
  while [ ! -f "$handoff_dir/display" ] && [ $tries -lt 200 ]; do
    sleep 0.05
    tries=$((tries + 1))
  done
  local session_pid=""
  read -r display xpid session_pid 2>/dev/null <"$handoff_dir/display"
  rm -rf "$handoff_dir"
  if [[ $display != :* ]]; then
    # No client will come to end a server started just now.
    $new_server && wineserver -k >/dev/null 2>&1
    die "Xvfb did not start (see $prefix.xvfb.log)"
  fi
  echo "$display $xpid $session_pid" >"$display_file"
  export DISPLAY=$display
}

# Internal: the session's X server. Starts Xvfb, hands ":NUMBER XVFB_PID OWN_PID" over in
# the file $2, and ends Xvfb once the session's wineserver is gone (or --end-session
# ended it).
session_x() {
  prefix=$1
  local handoff=$2 display owner rest number="" tries=0
  set_wine_environment
  Xvfb -displayfd 3 -screen 0 "$SCREEN" -nolisten tcp \
    3>"$handoff.number" </dev/null >>"$prefix.xvfb.log" 2>&1 &
  local xpid=$!
  while [ -z "$number" ] && kill -0 "$xpid" 2>/dev/null && [ $tries -lt 200 ]; do
    sleep 0.05
    tries=$((tries + 1))
    number=$(head -n 1 "$handoff.number")
  done
  rm -f "$handoff.number"
  if [ -z "$number" ]; then
    kill "$xpid" 2>/dev/null
    wait "$xpid"
    echo failed >"$handoff.tmp" && mv "$handoff.tmp" "$handoff"
    return
  fi
  echo ":$number $xpid $BASHPID" >"$handoff.tmp" && mv "$handoff.tmp" "$handoff"
  while :; do
    wineserver -w >/dev/null 2>&1
    # A program may be starting the next server right now.
    sleep 0.5
    exec 9>>"$lock_file"
    flock 9
    read -r display owner rest 2>/dev/null <"$display_file"
    # Another owner: the session was ended by --end-session.
    [ "${owner:-}" = "$xpid" ] || break
    if ! server_running; then
      rm -f "$display_file"
      break
    fi
    exec 9>&-
  done
  kill "$xpid" 2>/dev/null
  wait "$xpid"
}

end_session() {
  set_wine_environment
  exec 9>>"$lock_file"
  flock 9
  if [ -d "$prefix" ]; then
    wineserver -k >/dev/null 2>&1
    wineserver -w >/dev/null 2>&1
  fi
  local display="" xpid="" session_pid="" tries=0
  read -r display xpid session_pid 2>/dev/null <"$display_file"
  rm -f "$display_file"
  exec 9>&-
  [ -n "$xpid" ] || return 0
  kill "$xpid" 2>/dev/null
  # The session's X process notices within a second, reaps Xvfb and ends.
  while is_alive "$session_pid" && [ $tries -lt 100 ]; do
    sleep 0.05
    tries=$((tries + 1))
  done
}

# True when process $1 exists and has not ended (a zombie has ended: where init does not
# reap, it stays listed).
is_alive() {
  local state
  [ -n "$1" ] && state=$(awk '{ print $3 }' "/proc/$1/stat" 2>/dev/null) && [ "$state" != Z ]
}

# True when file descriptor $1 is a pipe or socket: a reader there waits for every
# writer to close it, and Wine's helper processes (services.exe, explorer.exe, programs
# the program started) inherit it and may live on.
is_stream() {
  [ -p "/dev/fd/$1" ] || [ -S "/dev/fd/$1" ]
}

case "${1:-}" in
  "")
    die "usage: wine-run.sh PROGRAM [ARGS...] | --prepare [BUILD_DIR] | --end-session [BUILD_DIR]" ;;
  --session-x)
    session_x "$2" "$3"
    exit 0 ;;
  --end-session)
    choose_prefix "${2:-}" ""
    end_session
    exit 0 ;;
  --prepare)
    choose_prefix "${2:-}" ""
    set_wine_environment
    mkdir -p "$(dirname "$prefix")"
    exec 9>>"$lock_file"
    flock 9
    ensure_prefix_locked
    exit 0 ;;
esac

program=$1
shift
choose_prefix "" "$program"
set_wine_environment
[ -x "$wine_loader" ] || die "$wine_loader is not installed (run scripts/install-deps.sh)"

exec 9>>"$lock_file" || die "cannot open $lock_file"
flock 9
ensure_prefix_locked
ensure_session_locked
exec 9>&-

if ! is_stream 1 && ! is_stream 2; then
  exec "$wine_loader" "$program" "$@"
fi

# Stdout or stderr is a pipe: let Wine write to files and copy them once the program
# has ended, so that lingering Wine processes cannot keep the reader waiting.
out_dir=$(mktemp -d) || die "mktemp failed"
trap 'rm -rf "$out_dir"' EXIT
if is_stream 1 && is_stream 2; then
  wine "$program" "$@" >"$out_dir/stdout" 2>"$out_dir/stderr"
elif is_stream 1; then
  wine "$program" "$@" >"$out_dir/stdout"
else
  wine "$program" "$@" 2>"$out_dir/stderr"
fi
rc=$?
[ -f "$out_dir/stdout" ] && cat "$out_dir/stdout"
[ -f "$out_dir/stderr" ] && cat "$out_dir/stderr" >&2
exit $rc
