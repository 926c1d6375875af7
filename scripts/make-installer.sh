#!/usr/bin/env bash
# Builds setup.exe for a product folder: the folder's whole tree becomes the payload.
#   scripts/make-installer.sh PRODUCT_DIR [--out FILE] [--sign CERT KEY [PASSFILE]]
# --out copies the finished setup.exe to FILE; --sign signs setup.exe (after its payload
# check) with a PEM certificate and key, the key's password read from PASSFILE. The build
# tree is build/make-installer; SOURCE_DATE_EPOCH, when set, dates the program, and
# KAVRIX_SIGN_TIMESTAMP_URL, when set, time-stamps the signature.
# Prints where setup.exe is, its size, what it carries and whether it is signed.
set -euo pipefail

usage() {
  echo "usage: $0 PRODUCT_DIR [--out FILE] [--sign CERT KEY [PASSFILE]]" >&2
  exit 2
}
fail() {
  echo "make-installer: $*" >&2
  exit 1
}
absolute() { realpath -m -- "$1"; }

[ $# -ge 1 ] || usage
product=$(absolute "$1")
shift
out="" cert="" key="" passfile=""
while [ $# -gt 0 ]; do
  case $1 in
    --out)
      [ $# -ge 2 ] || usage
      out=$(absolute "$2")
      shift 2 ;;
    --sign)
      [ $# -ge 3 ] || usage
      cert=$(absolute "$2") key=$(absolute "$3")
      shift 3
      if [ $# -gt 0 ] && [[ $1 != --* ]]; then
        passfile=$(absolute "$1")
        shift
      fi ;;
    *) usage ;;
  esac
done
[ -d "$product" ] || fail "no product folder '$product'"
for file in "$cert" "$key" "$passfile"; do
  [ -z "$file" ] || [ -f "$file" ] || fail "no file '$file'"
done

cd "$(dirname "${BASH_SOURCE[0]}")/.."
scripts/install-deps.sh
readonly tree=build/make-installer
readonly setup=$tree/src/installer/setup.exe

# A changed signing setting must reach the program, so it is linked anew.
rm -f "$setup"
cmake --preset mingw32 -B "$tree" -DKAVRIX_PRODUCT_DIR="$product" -DKAVRIX_SIGN_CERT="$cert" \
  -DKAVRIX_SIGN_KEY="$key" -DKAVRIX_SIGN_PASSWORD_FILE="$passfile" \
  -DKAVRIX_SIGN_TIMESTAMP_URL="${KAVRIX_SIGN_TIMESTAMP_URL:-}" >"$tree.configure.log" 2>&1 ||
  fail "configuring failed; see $tree.configure.log"
cmake --build "$tree" -j2 --target setup_payload_check >"$tree.build.log" 2>&1 ||
  fail "the build failed; see $tree.build.log"

summary=$("$tree/host-tools/tools/payload/kvpayload" check "$setup" "$tree/src/installer/setup-payload/product.qv2")
if [ -n "$cert" ]; then
  osslsigncode verify -CAfile "$cert" -in "$setup" >"$tree.verify.log" 2>&1 ||
    fail "the signature does not verify against $cert; see $tree.verify.log"
  signature="signed by $(openssl x509 -noout -subject -in "$cert" | sed 's/^subject= *//')"
else
  signature="not signed"
fi
delivered=$setup
if [ -n "$out" ]; then
  mkdir -p "$(dirname "$out")"
  cp "$setup" "$out"
  delivered=$out
fi

echo "setup.exe: $(absolute "$delivered")"
echo "size:      $(stat -c %s "$delivered") bytes"
echo "payload:   ${summary#kvpayload: *carries }"
echo "signature: $signature"
