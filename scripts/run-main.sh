#!/usr/bin/env bash
# The main job: installs what is missing, builds the host and Windows trees, then runs
# setup.exe with the Quorvel 2.0 demo product under Wine. With a display (DISPLAY set)
# the installer is yours to click through; without one it runs in the build's own Xvfb,
# windriver.exe clicks through a default installation, and the script prints where the
# files, registry values and shortcuts went and where the screenshots are. Before that
# it shows the payload path: kvarc round trips natively and under Wine, and the payload
# inside setup.exe checked.
set -euo pipefail

cd "$(dirname "${BASH_SOURCE[0]}")/.."
source scripts/windows-preset.sh
readonly jobs=2
readonly work=build/run-main
readonly host_kvarc=build/host/tools/kvarc/kvarc
# Set once the packages are installed: the tree whose programs Wine runs here.
windows_tree=build/mingw32

# Configures and builds one preset's tree.
build_tree() {
  echo "=== building $1"
  cmake --preset "$1" >/dev/null
  cmake --build --preset "$1" -j"$jobs"
}

# Runs a Windows program of the cross build under Wine.
run_windows() {
  scripts/wine-run.sh "$@"
}

# Prints "SIZE_A -> SIZE_B bytes (PERCENT)".
size_ratio() {
  local a b
  a=$(stat -c %s "$1")
  b=$(stat -c %s "$2")
  awk -v a="$a" -v b="$b" 'BEGIN {
    printf "%d -> %d bytes", a, b
    if (a > 0) printf " (%.1f%%)", 100 * b / a
  }'
}

# Packs and unpacks $1 with both kvarc builds and checks every combination.
codec_round_trip() {
  local sample=$1 name
  name=$(basename "$sample")
  local base=$work/$name
  "$host_kvarc" encode "$sample" "$base.host.packed"
  run_windows "$windows_tree/tools/kvarc/kvarc.exe" encode "$sample" "$base.win.packed"
  "$host_kvarc" decode "$base.host.packed" "$base.host-host"
  run_windows "$windows_tree/tools/kvarc/kvarc.exe" decode "$base.win.packed" "$base.win-win"
  # Each build reads the other's stream: the format does not depend on the platform.
  "$host_kvarc" decode "$base.win.packed" "$base.win-host"
  run_windows "$windows_tree/tools/kvarc/kvarc.exe" decode "$base.host.packed" "$base.host-win"
  local result
  for result in host-host win-win win-host host-win; do
    if ! cmp -s "$sample" "$base.$result"; then
      echo "$name: $result round trip differs from the original" >&2
      return 1
    fi
  done
  if ! cmp -s "$base.host.packed" "$base.win.packed"; then
    echo "$name: the host and Windows encoders wrote different streams" >&2
    return 1
  fi
  echo "$name: $(size_ratio "$sample" "$base.host.packed");" \
    "host, Windows and crossed round trips give the original bytes"
}

demo_codec() {
  rm -rf "$work"
  mkdir -p "$work"
  # Text, and a mix like a real payload: a Windows program plus source text.
  cp README.md "$work/sample-readme.txt"
  cat "$windows_tree/tools/kvarc/kvarc.exe" src/archive/*.cpp src/archive/*.h >"$work/sample-mixed.bin"
  : >"$work/sample-empty.bin"
  echo "=== kvarc round trips (host: $host_kvarc, Windows: $windows_tree/tools/kvarc/kvarc.exe under Wine)"
  local sample
  for sample in "$work/sample-readme.txt" "$work/sample-mixed.bin" "$work/sample-empty.bin"; do
    codec_round_trip "$sample"
  done
}

# The build has packed the product into setup.exe; read it back out of the program.
demo_setup_payload() {
  echo "=== the payload inside setup.exe"
  build/mingw32/host-tools/tools/payload/kvpayload check build/mingw32/src/installer/setup.exe \
    build/mingw32/src/installer/setup-payload/product.qv2
  if [ "$windows_tree" != build/mingw32 ]; then
    echo "(this machine cannot run 32-bit programs: Wine runs the 64-bit build, $windows_tree)"
  fi
}

# Runs `wine ARGS` in the cross build's prefix (through wine-run.sh, from the tree).
wine_in_tree() {
  (cd "$windows_tree" && "$OLDPWD/scripts/wine-run.sh" "$@")
}

# Prints the Windows form of Linux path $1 (absolute or relative to here): Wine's drive
# Z: is the Linux root.
windows_path() {
  local path=$1
  [[ $path == /* ]] || path=$PWD/$path
  printf 'Z:%s\n' "${path//\//\\}"
}

# Prints a path of the prefix's drive C as Linux sees it.
prefix_path() {
  printf '%s\n' "$windows_tree/wineprefix/drive_c/$1"
}

# The installer itself: interactive on a display, else a driven default installation.
run_setup() {
  local installer=$windows_tree/src/installer
  if [ -n "${DISPLAY:-}" ]; then
    echo "=== setup.exe on your display: install Quorvel 2.0 (the wizard ends with Finish or Cancel)"
    wine_in_tree "$PWD/$installer/setup.exe"
    return
  fi
  local shots=$PWD/$work/screenshots
  mkdir -p "$shots"
  local script=$work/default-install.drv
  local wshots
  wshots=$(windows_path "$shots")
  cat >"$script" <<SCRIPT
timeout 60
failure-screenshot "$wshots\\failure.bmp"
start "$(windows_path "$installer/setup.exe")"
window Loading...
sleep 300
screenshot "$wshots\\1-splash.bmp" screen
window "Quorvel 2.0 Kavrix" KavrixWindow "&Next >"
sleep 300
screenshot "$wshots\\2-welcome.bmp" screen
click "&Next >"
expect-enabled "< &Back" yes
sleep 300
screenshot "$wshots\\3-licence.bmp" screen
click "&Next >"
expect-visible "&Browse..." yes
sleep 300
screenshot "$wshots\\4-destination.bmp" screen
click "&Next >"
sleep 300
screenshot "$wshots\\5-options.bmp" screen
click "&Next >"
sleep 600
sleep 300
screenshot "$wshots\\6-progress.bmp" screen
expect-visible "&Finish" yes
sleep 300
screenshot "$wshots\\7-finish.bmp" screen
click "&Finish"
expect-exit 0
SCRIPT
  echo "=== setup.exe in Xvfb, driven through a default installation"
  # As on Windows, where the shell keeps an "Open with" list for .htm files (without it
  # the installer says so in a box before it writes its entry there).
  wine_in_tree reg add 'HKCR\.htm\OpenWithList' /f >/dev/null
  wine_in_tree "$PWD/$windows_tree/tools/windriver/windriver.exe" "$(windows_path "$script")"
  local bmp
  for bmp in "$shots"/*.bmp; do
    convert "$bmp" "${bmp%.bmp}.png" && rm -f "$bmp"
  done
  echo "--- installed files ($(prefix_path 'Program Files/Quorvel 2.0'))"
  find "$(prefix_path 'Program Files/Quorvel 2.0')" -type f -printf '  %P (%s bytes)\n' | sort
  echo "--- shortcuts"
  find "$windows_tree/wineprefix/drive_c/users" -path '*Programs/Quorvel 2.0/*' -printf '  %p\n'
  echo "--- registry"
  local key
  for key in 'HKLM\Software\Veddal\Quorvel 2.0' \
             'HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\Quorvel 2.0' \
             'HKCR\htmlfile\shell\Edit with Quorvel 2.0\command' \
             'HKCR\.htm\OpenWithList\Quorvel 2.0\shell\edit\command'; do
    wine_in_tree reg query "$key" | tr -d '\r' | sed '/^$/d; s/^/  /'
  done
  echo "--- screenshots: $shots"
  ls "$shots" | sed 's/^/  /'
}

main() {
  scripts/install-deps.sh
  build_tree host
  build_tree mingw32
  windows_tree=build/$(windows_preset)
  [ "$windows_tree" = build/mingw32 ] || build_tree "${windows_tree#build/}"
  trap 'scripts/wine-run.sh --end-session "$windows_tree"' EXIT
  demo_codec
  demo_setup_payload
  run_setup
}

main "$@"
