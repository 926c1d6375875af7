#!/usr/bin/env bash
# What a built Windows program is made of:
#   scripts/size-report.sh PROGRAM MAP
# prints PROGRAM's sections with their sizes in the file, then the bytes the linker placed
# from each library (its link map MAP, written beside every shipped program as
# <name>.map), largest first: libraries by file name, the program's own objects and
# resources by its target name, and "(linker)" for what the linker made itself (the
# relocations).
set -euo pipefail

[ $# -eq 2 ] || { echo "usage: $0 PROGRAM MAP" >&2; exit 2; }
readonly program=$1 map=$2
objdump=${OBJDUMP:-i686-w64-mingw32-objdump}
# Any awk, not only those that read hexadecimal numbers.
readonly hex='function hex(text,  i, value) {
  text = tolower(text); sub(/^0x/, "", text)
  for (i = 1; i <= length(text); i++) value = value * 16 + index("0123456789abcdef", substr(text, i, 1)) - 1
  return value
}'

echo "section           bytes in the file"
"$objdump" -h "$program" | awk "$hex"' $1 ~ /^[0-9]+$/ { printf "%-16s %10d\n", $2, hex($3) }'
printf "%-16s %10d\n" "(whole file)" "$(stat -c %s "$program")"

echo
echo "bytes linked in  library"
# Input sections follow "Linker script and memory map"; an entry is " .name ADDRESS SIZE
# FILE", the name on a line of its own when it is long.
awk "$hex"'
  /^Linker script and memory map/ { mapped = 1; next }
  !mapped { next }
  /^ \.[^ ]+$/ { pending = $1; next }
  {
    if (pending != "" && $1 ~ /^0x/) { name = pending; size = $2; file = $3 }
    else if ($1 ~ /^\./ && $2 ~ /^0x/ && $3 ~ /^0x/ && NF >= 4) { name = $1; size = $3; file = $4 }
    else { pending = ""; next }
    pending = ""
    # Debugging sections go to the .debug file, not into the program.
    if (file == "" || name ~ /^\.(debug|gnu_debuglink)/) next
    bytes = hex(size)
    if (bytes == 0) next
    if (file == "dll") file = "(linker)"  # "dll stuff": what ld makes itself
    else if (match(file, /CMakeFiles\/[^\/]+\.dir/)) {
      file = substr(file, RSTART + 11, RLENGTH - 15) (name ~ /^\.rsrc/ ? " (resources)" : " (objects)")
    }
    else { sub(/\(.*/, "", file); n = split(file, parts, "/"); file = parts[n] }
    sum[file] += bytes
  }
  END { for (f in sum) printf "%14d  %s\n", sum[f], f }
' "$map" | sort -n -r
