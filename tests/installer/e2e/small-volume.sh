#!/bin/sh
# The small volume of the end-to-end suite's full-disk test: a tmpfs mounted at DIR and
# reached from the build tree's Wine prefix as drive LETTER (a link in its dosdevices).
#
#   small-volume.sh mount   WINE_RUN BUILD_DIR DIR LETTER SIZE
#   small-volume.sh unmount WINE_RUN BUILD_DIR DIR LETTER
#
# Mounting needs root. Where it is refused the script says so and succeeds all the same:
# the test then finds no such drive and makes the installation run out of room through
# a file-size limit instead, and says which of the two it used.
set -u

action=$1 wine_run=$2 build_dir=$3 dir=$4 letter=$5
prefix=${KAVRIX_WINEPREFIX:-$build_dir/wineprefix}
link=$prefix/dosdevices/$letter

release() {
  rm -f "$link"
  # A Wine process of the session may still hold something open there: detach it then.
  if mountpoint -q "$dir" 2>/dev/null; then umount "$dir" 2>/dev/null || umount -l "$dir" || exit 1; fi
  [ ! -d "$dir" ] || rmdir "$dir"
}

case $action in
  mount)
    size=$6
    "$wine_run" --prepare "$build_dir" || exit 1
    release  # what an interrupted run left
    mkdir -p "$dir" || exit 1
    if ! mount -t tmpfs -o "size=$size,mode=0755" tmpfs "$dir" 2>/dev/null; then
      echo "small-volume: no tmpfs could be mounted at $dir (not root?); the full-disk test uses a file-size limit"
      rmdir "$dir"
      exit 0
    fi
    ln -s "$dir" "$link" || { release; exit 1; }
    # A session that runs already keeps the drive list it started with; the next program
    # starts one that lists the new drive.
    "$wine_run" --end-session "$build_dir"
    echo "small-volume: $size tmpfs at $dir is drive $letter of $prefix"
    ;;
  unmount)
    "$wine_run" --end-session "$build_dir"
    release
    ;;
  *)
    echo "usage: small-volume.sh mount|unmount WINE_RUN BUILD_DIR DIR LETTER [SIZE]" >&2
    exit 2
    ;;
esac
