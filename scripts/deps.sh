#!/usr/bin/env bash
# Installs the Debian packages that building, testing and running need, only when one is missing.
set -euo pipefail
packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-translations-l10n libgl-dev libx11-dev
  libcdio-dev libiso9660-dev libzip-dev zip unzip
  libgtest-dev libgmock-dev libbenchmark-dev libsqlite3-dev
  python3 python3-dbfread python3-dbf
  xvfb xauth imagemagick poppler-utils
  dpkg-dev desktop-file-utils appstream lintian
)
missing=()
for p in "${packages[@]}"; do
  dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "Instaluji chybějící balíčky: ${missing[*]}"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update
$sudo apt-get install -y --no-install-recommends "${missing[@]}"
