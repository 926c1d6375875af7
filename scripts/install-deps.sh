#!/usr/bin/env bash
# Installs the toolchains and runtimes both builds need, skipping what is already there.
# Safe to run repeatedly; needs root (or sudo) only when something is missing.
set -euo pipefail

packages=(
  cmake g++ make googletest libgtest-dev libbenchmark-dev clang
  g++-mingw-w64-i686 binutils-mingw-w64-i686
  # The 64-bit Windows build, for machines that cannot run 32-bit programs.
  g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  wine wine32:i386 wine64 fonts-wine
  xvfb xauth x11-utils xdotool imagemagick
  fp-utils-3.2.2  # chmcmd, which compiles the product's help file
  osslsigncode openssl  # signing the shipped programs, and the signing test
  libssl-dev  # the payload's digest at build time
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
echo "install-deps: installing ${missing[*]}" >&2
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $sudo dpkg --add-architecture i386
fi
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
