#!/usr/bin/env bash
# The main job: installs what is missing, builds the host and Windows trees, then shows
# the product at work. Until the installer's windows exist, that is the payload path:
# kvarc packs sample files and unpacks them again, natively and as kvarc.exe under
# Wine (the two builds must read each other's streams and write the same bytes); the
# demo product is archived, listed and extracted under Wine; and the payload that the
# build put into setup.exe is checked.
set -euo pipefail

cd "$(dirname "${BASH_SOURCE[0]}")/.."
readonly jobs=2
readonly work=build/run-main
readonly host_kvarc=build/host/tools/kvarc/kvarc
readonly windows_kvarc=build/mingw32/tools/kvarc/kvarc.exe

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
  run_windows "$windows_kvarc" encode "$sample" "$base.win.packed"
  "$host_kvarc" decode "$base.host.packed" "$base.host-host"
  run_windows "$windows_kvarc" decode "$base.win.packed" "$base.win-win"
  # Each build reads the other's stream: the format does not depend on the platform.
  "$host_kvarc" decode "$base.win.packed" "$base.win-host"
  run_windows "$windows_kvarc" decode "$base.host.packed" "$base.host-win"
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
  cat "$windows_kvarc" src/archive/*.cpp src/archive/*.h >"$work/sample-mixed.bin"
  : >"$work/sample-empty.bin"
  echo "=== kvarc round trips (host: $host_kvarc, Windows: $windows_kvarc under Wine)"
  local sample
  for sample in "$work/sample-readme.txt" "$work/sample-mixed.bin" "$work/sample-empty.bin"; do
    codec_round_trip "$sample"
  done
}

# Archives the demo product natively, then lists and extracts it with kvarc.exe under
# Wine, and compares the extracted tree with the product folder.
demo_archive() {
  local archive=$work/product.qv2 target=$work/product-extracted
  echo "=== the demo product as an archive"
  "$host_kvarc" create "$archive" product
  run_windows "$windows_kvarc" list "$archive"
  run_windows "$windows_kvarc" extract "$archive" "$target"
  diff -r product "$target"
  echo "product.qv2: extracted under Wine, identical to the product folder"
}

# The build has packed the product into setup.exe; read it back out of the program.
demo_setup_payload() {
  echo "=== the payload inside setup.exe"
  build/mingw32/host-tools/tools/payload/kvpayload check build/mingw32/src/installer/setup.exe \
    build/mingw32/src/installer/payload/product.qv2
}

main() {
  scripts/install-deps.sh
  build_tree host
  build_tree mingw32
  trap 'scripts/wine-run.sh --end-session build/mingw32' EXIT
  # The product step: becomes starting setup.exe under Wine once it exists.
  demo_codec
  demo_archive
  demo_setup_payload
}

main "$@"
