#!/bin/sh
# Regression: kvpayload check left its scratch copy of the archive behind when writing it
# failed part-way. A file-size limit below the archive's size makes the write fail.
#   check-scratch.sh KVPAYLOAD SETUP_EXE ARCHIVE WORK_DIR
set -eu
kvpayload=$1 setup=$2 archive=$3 work=$4
rm -rf "$work"
mkdir -p "$work"
cp "$setup" "$work/setup.exe"
# Beyond the limit a write fails with EFBIG instead of ending the process.
trap '' XFSZ
if (ulimit -f 16 && "$kvpayload" check "$work/setup.exe" "$archive") >"$work/check.log" 2>&1; then
  echo "the check passed although its scratch copy could not be written" >&2
  exit 1
fi
cat "$work/check.log"
if [ -e "$work/setup.payload.qv2" ]; then
  echo "the scratch copy was left behind: $(wc -c <"$work/setup.payload.qv2") bytes" >&2
  exit 1
fi
