#!/usr/bin/env bash
# The browser, search, edit and lending windows of the program itself as a user meets them:
# under Xvfb with openbox, cs_CZ.UTF-8, the main window at its smallest size (640 x 540) and at 1600 x 1000, on a
# generated catalogue of 40 albums. Each picture is the main window with its frame's contents.
# Usage: tools/okna-xvfb.sh BINDIR OUTDIR   (BINDIR holds lorvika and lorvika-gen)
set -euo pipefail
if [ "${1:-}" = "--uvnitr" ]; then
  bin=$2 out=$3 db=$4
  openbox >/dev/null 2>&1 &
  sleep 1
  "$bin/lorvika" "$db" >/dev/null 2>&1 &
  program=$!
  okno=""
  for _ in $(seq 1 50); do
    okno=$(xdotool search --onlyvisible --pid "$program" --name "^Lorvika" 2>/dev/null | head -1 || true)
    [ -n "$okno" ] && break
    sleep 0.2
  done
  [ -n "$okno" ] || { echo "the main window did not appear" >&2; exit 1; }
  sleep 1
  xdotool getwindowname "$okno" >&2
  for velikost in 640x540 1600x1000; do
    xdotool windowsize --sync "$okno" "${velikost%x*}" "${velikost#*x}" || true
    xdotool windowmove "$okno" 0 0
    sleep 0.5
    for f in F3:prohlizec F7:hledani F4:editace F9:pujceni; do
      xdotool windowactivate --sync "$okno" key "${f%%:*}"
      sleep 1.2
      import -window "$okno" "$out/${f#*:}-$velikost.png"
    done
  done
  kill "$program"
  exit 0
fi
bin=$(cd "${1:?usage: tools/okna-xvfb.sh BINDIR OUTDIR}" && pwd)
out=${2:?usage: tools/okna-xvfb.sh BINDIR OUTDIR}
mkdir -p "$out"
out=$(cd "$out" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$bin/lorvika-gen" "$work/db" 40 7 >/dev/null
mkdir -p "$work/home"
export LANG=cs_CZ.UTF-8 LC_ALL=cs_CZ.UTF-8 LORVIKA_HOME=$work/home
xvfb-run -a -s "-screen 0 1920x1080x24" "$0" --uvnitr "$bin" "$out" "$work/db"
ls "$out"/*.png
