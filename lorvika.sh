#!/usr/bin/env bash
# Installs what is missing, builds Lorvika (Release) into build/release and starts it.
set -euo pipefail
cd "$(dirname "$0")"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "Lorvika potřebuje grafické prostředí: není nastaven DISPLAY ani WAYLAND_DISPLAY." >&2
  exit 1
fi
scripts/deps.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DLORVIKA_BENCH=OFF >/dev/null
cmake --build build/release --target lorvika
exec build/release/bin/lorvika "$@"
