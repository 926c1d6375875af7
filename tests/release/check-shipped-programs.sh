#!/usr/bin/env bash
# The programs a vendor ships, read back from the built files:
#   check-shipped-programs.sh TREE KVPAYLOAD OBJDUMP SOURCE_DIR EPOCH
# Each carries the product's version information (read with kvpayload, our own PE
# reader), the PE time stamp EPOCH, no symbols and no debugging sections but a link to
# its .debug file beside it, which holds them; neither names SOURCE_DIR. The product's
# identity comes in the environment: PRODUCT_NAME, PRODUCT_VERSION, PUBLISHER, COPYRIGHT.
set -euo pipefail

[ $# -eq 5 ] || { echo "usage: $0 TREE KVPAYLOAD OBJDUMP SOURCE_DIR EPOCH" >&2; exit 2; }
readonly tree=$1 kvpayload=$2 objdump=$3 source_dir=$4 epoch=$5
failures=0

fail() {
  echo "check-shipped-programs: $*" >&2
  failures=$((failures + 1))
}

# The unsigned 32-bit little-endian value at byte offset $2 of file $1.
u32_at() { od -An -tu4 -j "$2" -N4 "$1" | tr -d ' '; }

check() {
  local program=$tree/$1 description=$2 name=${1##*/}
  local debug=${program%.exe}.debug
  local expected actual
  expected=$(printf '%s\n' "FILEVERSION: $PRODUCT_VERSION.0.0" "PRODUCTVERSION: $PRODUCT_VERSION.0.0" \
    "CompanyName: $PUBLISHER" "FileDescription: $description" "FileVersion: $PRODUCT_VERSION" \
    "InternalName: ${name%.exe}" "LegalCopyright: $COPYRIGHT" "OriginalFilename: $name" \
    "ProductName: $PRODUCT_NAME" "ProductVersion: $PRODUCT_VERSION")
  if ! actual=$("$kvpayload" version "$program" 2>&1); then
    fail "$name: no version information"
  elif [ "$actual" != "$expected" ]; then
    fail "$name: version information differs:$(echo; diff <(echo "$expected") <(echo "$actual") | sed 's/^/  /')"
  fi

  local pe
  pe=$(u32_at "$program" $((0x3C)))
  [ "$(u32_at "$program" $((pe + 8)))" = "$epoch" ] || fail "$name: PE time stamp is not $epoch"
  [ "$(u32_at "$program" $((pe + 16)))" = 0 ] || fail "$name: carries a symbol table"
  local sections
  sections=$("$objdump" -h "$program")
  grep -q ' \.gnu_debuglink ' <<<"$sections" || fail "$name: no link to its debugging information"
  ! grep -q ' \.debug_' <<<"$sections" || fail "$name: carries debugging sections"
  [ -f "$debug" ] && "$objdump" -h "$debug" | grep -q ' \.debug_info ' ||
    fail "$name: no debugging information in $debug"
  for file in "$program" "$debug"; do
    [ ! -f "$file" ] || ! grep -qF "$source_dir" "$file" || fail "$file names the source folder $source_dir"
  done
}

check src/installer/setup.exe "$PRODUCT_NAME Setup"
check src/product/quorvel.exe "$PRODUCT_NAME editor"
check src/product/uninstall.exe "$PRODUCT_NAME uninstaller"
[ "$failures" -eq 0 ] || exit 1
echo "check-shipped-programs: setup.exe, quorvel.exe and uninstall.exe carry their version information, are stamped $epoch and stripped"
