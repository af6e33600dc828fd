#!/usr/bin/env bash
# Renders the PNG icons from lorvika.svg (run after changing the drawing; the PNGs are committed
# so that building needs no SVG renderer). Needs rsvg-convert (librsvg2-bin).
set -euo pipefail
cd "$(dirname "$0")"
for s in 16 32 48 64 128 256; do
  mkdir -p "${s}x${s}"
  rsvg-convert -w "$s" -h "$s" lorvika.svg -o "${s}x${s}/lorvika.png"
done
