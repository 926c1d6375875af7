# Sourced by the scripts that run Windows programs: prints the cross-build preset whose
# programs this machine can run under Wine. That is mingw32, the build that ships, unless
# the kernel cannot run 32-bit programs at all (some are built or booted without that
# support; the 32-bit Wine loader then does not start): there it is mingw64, the same
# sources built for 64-bit Windows.
windows_preset() {
  if [ -e /usr/lib/wine/wine ] && ! /usr/lib/wine/wine --version >/dev/null 2>&1; then
    echo mingw64
  else
    echo mingw32
  fi
}
