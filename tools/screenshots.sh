#!/usr/bin/env bash
# Screenshots of the program on a fresh program directory, grabbed offscreen: the navigator and
# the new album window (with a 14-track disc read from a generated CUE/BIN image: silent audio
# with CD-TEXT) at three window sizes, each main menu open, the backup settings dialog, and the
# new album window's pages before and after the album was stored.
# Usage: tools/screenshots.sh OUTDIR
set -euo pipefail
out=${1:?usage: tools/screenshots.sh OUTDIR}
root=$(cd "$(dirname "$0")/.." && pwd)
bin=${LORVIKA_SNIMKY_BIN:-$root/build/release/bin/lorvika-snimky}
novecd=${LORVIKA_NOVECD_BIN:-$(dirname "$bin")/lorvika-novecd-snimky}
if [ ! -x "$bin" ] || [ ! -x "$novecd" ]; then
  build=$(dirname "$(dirname "$bin")")
  if [ ! -f "$build/build.ninja" ]; then
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DLORVIKA_BENCH=OFF >/dev/null
  fi
  cmake --build "$build" --target lorvika-snimky lorvika-novecd-snimky
fi
mkdir -p "$out"
out=$(cd "$out" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cue=$work/disk.cue
printf 'PERFORMER "Hradní kapela"\nTITLE "Zkušební deska"\nFILE "disk.bin" BINARY\n' >"$cue"
secs=0
for t in $(seq 1 14); do
  printf '  TRACK %02d AUDIO\n    TITLE "Skladba %d"\n    INDEX 01 %02d:%02d:00\n' \
    "$t" "$t" $((secs / 60)) $((secs % 60)) >>"$cue"
  secs=$((secs + 150 + t))
done
head -c $((secs * 75 * 2352)) /dev/zero >"$work/disk.bin"

# The program picks an offscreen 1920x1080 screen itself.
mkdir -p "$work/home1" "$work/home2" "$work/home-edit"
LORVIKA_HOME=$work/home1 timeout 180 "$bin" "$out" "$cue"
LORVIKA_HOME=$work/home2 QT_QPA_PLATFORM=offscreen timeout 60 "$novecd" "$out" "$cue"

# --- Album edit window ---------------------------------------------------------------------------
# Both pages of "Editace AudioCD" at the window's base size and maximized at 1920 x 1080, and
# the disc choice dialog.
editcd=${LORVIKA_EDITCD_BIN:-$(dirname "$bin")/lorvika-editcd-snimky}
if [ ! -x "$editcd" ]; then
  cmake --build "$(dirname "$(dirname "$bin")")" --target lorvika-editcd-snimky
fi
LORVIKA_HOME=$work/home-edit QT_QPA_PLATFORM=offscreen timeout 60 "$editcd" "$out"
ls "$out"/editcd-*.png "$out"/vybercd.png

# --- Lending, selection lists, about box ---------------------------------------------------------
# Both tabs of "Půjčení AudioCD" on a small catalogue with lent and overdue albums, the list editor
# and the about box.
pujceni=${LORVIKA_PUJCENI_BIN:-$(dirname "$bin")/lorvika-pujceni-snimky}
if [ ! -x "$pujceni" ]; then
  cmake --build "$(dirname "$(dirname "$bin")")" --target lorvika-pujceni-snimky
fi
mkdir -p "$work/home-pujceni"
LORVIKA_HOME=$work/home-pujceni QT_QPA_PLATFORM=offscreen timeout 60 "$pujceni" "$out"
ls "$out"/pujceni-*.png "$out"/prehled-*.png "$out"/vyberove-*.png "$out"/about.png
# --- Album browser and removal -------------------------------------------------------------------
# The three pages of "Prohlížeč AudioCD" at its smallest size and maximized, the preview of
# report 2, and the removal window, on a small catalogue with Czech names.
prohlizec=${LORVIKA_PROHLIZEC_BIN:-$(dirname "$bin")/lorvika-prohlizec-snimky}
if [ ! -x "$prohlizec" ]; then
  cmake --build "$(dirname "$(dirname "$bin")")" --target lorvika-prohlizec-snimky
fi
mkdir -p "$work/home-prohlizec"
LORVIKA_HOME=$work/home-prohlizec QT_QPA_PLATFORM=offscreen timeout 60 "$prohlizec" "$out"
ls "$out"/prohlizec-*.png "$out"/odstraneni.png
# --- Search window --------------------------------------------------------------------------------
# The query page at the smallest size, 1024 x 768 and 1920 x 1080, filled in, and the first
# result page after the search, over a small catalogue with Czech names.
hledani=${LORVIKA_HLEDANI_BIN:-$(dirname "$bin")/lorvika-hledani-snimky}
if [ ! -x "$hledani" ]; then
  cmake --build "$(dirname "$(dirname "$bin")")" --target lorvika-hledani-snimky
fi
mkdir -p "$work/home-hledani"
LORVIKA_HOME=$work/home-hledani QT_QPA_PLATFORM=offscreen timeout 60 "$hledani" "$out"
ls "$out"/dotaz-*.png "$out"/vysledek-*.png
ls "$out"/*.png
