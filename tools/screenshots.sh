#!/usr/bin/env bash
# Screenshots of the program on a fresh program directory, grabbed offscreen: the navigator and
# the new album window at three window sizes, each main menu open, the backup settings dialog.
# Usage: tools/screenshots.sh OUTDIR
set -euo pipefail
out=${1:?usage: tools/screenshots.sh OUTDIR}
root=$(cd "$(dirname "$0")/.." && pwd)
bin=${LORVIKA_SNIMKY_BIN:-$root/build/release/bin/lorvika-snimky}
if [ ! -x "$bin" ]; then
  cmake -S "$root" -B "$root/build/release" -G Ninja -DCMAKE_BUILD_TYPE=Release -DLORVIKA_BENCH=OFF >/dev/null
  cmake --build "$root/build/release" --target lorvika-snimky
fi
mkdir -p "$out"
out=$(cd "$out" && pwd)
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
LORVIKA_HOME=$home QT_QPA_PLATFORM=offscreen timeout 120 "$bin" "$out"
ls "$out"/*.png

# --- New album window (owned by the album forms) -------------------------------------------------
# Each page of "Nové AudioCD" with a 14-track disc read from a generated CUE/BIN image (silent
# audio with CD-TEXT), and the window after the album was stored.
novecd=${LORVIKA_NOVECD_BIN:-$(dirname "$bin")/lorvika-novecd-snimky}
if [ ! -x "$novecd" ]; then
  cmake --build "$(dirname "$(dirname "$bin")")" --target lorvika-novecd-snimky
fi
disc=$(mktemp -d)
trap 'rm -rf "$home" "$disc"' EXIT
cue=$disc/disk.cue
printf 'PERFORMER "Hradní kapela"\nTITLE "Zkušební deska"\nFILE "disk.bin" BINARY\n' >"$cue"
secs=0
for t in $(seq 1 14); do
  printf '  TRACK %02d AUDIO\n    TITLE "Skladba %d"\n    INDEX 01 %02d:%02d:00\n' \
    "$t" "$t" $((secs / 60)) $((secs % 60)) >>"$cue"
  secs=$((secs + 150 + t))
done
head -c $((secs * 75 * 2352)) /dev/zero >"$disc/disk.bin"
mkdir -p "$disc/home"
LORVIKA_HOME=$disc/home QT_QPA_PLATFORM=offscreen timeout 60 "$novecd" "$out" "$disc/disk.cue"
ls "$out"/novecd-*.png

# --- Album edit window ---------------------------------------------------------------------------
# Both pages of "Editace AudioCD" at the window's base size and maximized at 1920 x 1080, and
# the disc choice dialog.
editcd=${LORVIKA_EDITCD_BIN:-$(dirname "$bin")/lorvika-editcd-snimky}
if [ ! -x "$editcd" ]; then
  cmake --build "$(dirname "$(dirname "$bin")")" --target lorvika-editcd-snimky
fi
mkdir -p "$disc/home-edit"
LORVIKA_HOME=$disc/home-edit QT_QPA_PLATFORM=offscreen timeout 60 "$editcd" "$out"
ls "$out"/editcd-*.png "$out"/vybercd.png

# --- Lending, selection lists, about box ---------------------------------------------------------
# Both tabs of "Půjčení AudioCD" on a small catalogue with lent and overdue albums, the list editor
# and the about box.
pujceni=${LORVIKA_PUJCENI_BIN:-$(dirname "$bin")/lorvika-pujceni-snimky}
if [ ! -x "$pujceni" ]; then
  cmake --build "$(dirname "$(dirname "$bin")")" --target lorvika-pujceni-snimky
fi
mkdir -p "$disc/home-pujceni"
LORVIKA_HOME=$disc/home-pujceni QT_QPA_PLATFORM=offscreen timeout 60 "$pujceni" "$out"
ls "$out"/pujceni-*.png "$out"/prehled-*.png "$out"/vyberove-*.png "$out"/about.png
# --- Album browser and removal -------------------------------------------------------------------
# The three pages of "Prohlížeč AudioCD" at its smallest size and maximized, the preview of
# report 2, and the removal window, on a small catalogue with Czech names.
prohlizec=${LORVIKA_PROHLIZEC_BIN:-$(dirname "$bin")/lorvika-prohlizec-snimky}
if [ ! -x "$prohlizec" ]; then
  cmake --build "$(dirname "$(dirname "$bin")")" --target lorvika-prohlizec-snimky
fi
mkdir -p "$disc/home-prohlizec"
LORVIKA_HOME=$disc/home-prohlizec QT_QPA_PLATFORM=offscreen timeout 60 "$prohlizec" "$out"
ls "$out"/prohlizec-*.png "$out"/odstraneni.png
