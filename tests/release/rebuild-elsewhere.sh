#!/usr/bin/env bash
# The release built once more, from a copy of the sources in another folder, by another
# user name and at another time, to check what a vendor's build promises:
#   rebuild-elsewhere.sh reproduce SOURCE_DIR TREE WORK_DIR
#       builds the copy unsigned, packing a copy of TREE's product folder as a vendor's
#       folder with clamped dates; setup.exe, quorvel.exe and uninstall.exe must equal
#       TREE's byte for byte
#   rebuild-elsewhere.sh sign SOURCE_DIR TREE WORK_DIR
#       builds the copy's own product signed with a throw-away certificate; every
#       program, inside the payload too, must verify against it, setup.exe must still
#       carry its whole payload, and TREE's unsigned programs must carry no signature
# SOURCE_DATE_EPOCH must be the one TREE was configured with.
#
# The product folder is shared because the help compiler (chmcmd) writes a different
# quorvel.chm on every run; everything this project builds is compared.
set -euo pipefail

[ $# -eq 4 ] || { echo "usage: $0 reproduce|sign SOURCE_DIR TREE WORK_DIR" >&2; exit 2; }
readonly step=$1 source_dir=$2 tree=$3 work=$4
readonly copy=$work/kavrix-copy
readonly copy_tree=$copy/build/mingw32
readonly programs=(src/installer/setup.exe src/product/quorvel.exe src/product/uninstall.exe)
readonly staged_programs=(product-stage/quorvel.exe product-stage/uninstall.exe)

fail() {
  echo "rebuild-elsewhere: $*" >&2
  exit 1
}

# Configures the copy's tree with the extra options given and builds the shipped programs.
# The programs are removed first: a changed signing setting must reach all of them.
build_copy() {
  for program in "${programs[@]}"; do rm -f "$copy_tree/$program"; done
  (cd "$copy" && USER=kavrix-rebuild LOGNAME=kavrix-rebuild cmake --preset mingw32 "$@" >/dev/null)
  USER=kavrix-rebuild LOGNAME=kavrix-rebuild \
    cmake --build "$copy_tree" -j2 --target quorvel uninstall setup_payload_check >"$work/build-$step.log" 2>&1 ||
    fail "the build in $copy failed; see $work/build-$step.log"
}

reproduce() {
  mkdir -p "$copy"
  tar -C "$source_dir" --exclude=./build --exclude=./.git -cf - . | tar -C "$copy" -xf -
  rm -rf "$work/product"
  cp -a "$tree/product-stage" "$work/product"
  build_copy -DKAVRIX_PRODUCT_DIR="$work/product" -DKAVRIX_CLAMP_PAYLOAD_DATES=ON \
    -DKAVRIX_SIGN_CERT= -DKAVRIX_SIGN_KEY= -DKAVRIX_SIGN_PASSWORD_FILE=
  local differing=()
  for program in "${programs[@]}"; do
    cmp -s "$tree/$program" "$copy_tree/$program" || differing+=("$program")
  done
  [ ${#differing[@]} -eq 0 ] || fail "built in $copy_tree, these differ from $tree: ${differing[*]}"
  echo "rebuild-elsewhere: ${programs[*]} are byte-identical in $tree and $copy_tree"
}

sign() {
  [ -d "$copy_tree" ] || fail "no second build in $copy_tree (the reproduce step builds it)"
  local keys=$work/keys
  rm -rf "$keys" && mkdir -p "$keys"
  echo "throw-away password" >"$keys/password.txt"
  openssl req -x509 -newkey rsa:2048 -days 2 -subj "/CN=Kavrix test signer" \
    -addext "extendedKeyUsage=codeSigning" -addext "keyUsage=digitalSignature" \
    -keyout "$keys/key.pem" -passout "file:$keys/password.txt" -out "$keys/cert.pem" 2>/dev/null
  build_copy -DKAVRIX_PRODUCT_DIR= -DKAVRIX_CLAMP_PAYLOAD_DATES=OFF -DKAVRIX_SIGN_CERT="$keys/cert.pem" \
    -DKAVRIX_SIGN_KEY="$keys/key.pem" -DKAVRIX_SIGN_PASSWORD_FILE="$keys/password.txt"
  for program in "${programs[@]}" "${staged_programs[@]}"; do
    osslsigncode verify -CAfile "$keys/cert.pem" -in "$copy_tree/$program" >"$work/verify.log" 2>&1 ||
      fail "the signature of $copy_tree/$program does not verify:$(echo; cat "$work/verify.log")"
    ! osslsigncode verify -in "$tree/$program" >/dev/null 2>&1 || fail "$tree/$program is signed"
  done
  "$copy_tree/host-tools/tools/payload/kvpayload" check "$copy_tree/src/installer/setup.exe" \
    "$copy_tree/src/installer/setup-payload/product.qv2" || fail "the signed setup.exe fails its payload check"
  echo "rebuild-elsewhere: ${programs[*]} and the packed programs signed and verified;" \
    "the signed setup.exe carries its whole payload"
}

case $step in
  reproduce) reproduce ;;
  sign) sign ;;
  *) fail "no step '$step'" ;;
esac
