#!/usr/bin/env bash
# Screenshots of the program on a fresh program directory: the main window with the navigator,
# each main menu open, and the backup settings dialog.  Usage: tools/screenshots.sh OUTDIR
set -euo pipefail
out=${1:?usage: tools/screenshots.sh OUTDIR}
root=$(cd "$(dirname "$0")/.." && pwd)
bin=${LORVIKA_BIN:-$root/build/release/bin/lorvika}
if [ ! -x "$bin" ]; then
  cmake -S "$root" -B "$root/build/release" -G Ninja -DCMAKE_BUILD_TYPE=Release -DLORVIKA_BENCH=OFF >/dev/null
  cmake --build "$root/build/release" --target lorvika
fi
mkdir -p "$out"
out=$(cd "$out" && pwd)
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
# The program shows each view in turn and calls ImageMagick's "import -window root" itself, so
# no picture is taken before its window is painted.
LORVIKA_HOME=$home LORVIKA_SCREENSHOTS=$out timeout 120 \
  xvfb-run -a -s "-screen 0 1024x768x24" "$bin"
ls "$out"/*.png
