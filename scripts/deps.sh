#!/usr/bin/env bash
# Installs the Debian packages that building, testing and running need, only when one is missing.
set -euo pipefail
packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-translations-l10n libgl-dev libx11-dev
  libcdio-dev libiso9660-dev libdiscid-dev libzip-dev zip unzip
  libgtest-dev libgmock-dev libbenchmark-dev libsqlite3-dev
  python3 python3-dbfread python3-dbf
  xvfb xauth imagemagick poppler-utils locales
  dpkg-dev desktop-file-utils appstream lintian
)
missing=()
for p in "${packages[@]}"; do
  dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
if [ ${#missing[@]} -gt 0 ]; then
  echo "Instaluji chybějící balíčky: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update
  $sudo apt-get install -y --no-install-recommends "${missing[@]}"
fi
# The tests run a second time under the Czech locale, whose decimal point is a comma.
if ! locale -a 2>/dev/null | grep -qix 'cs_CZ\.utf-\?8'; then
  echo "Vytvářím národní prostředí cs_CZ.UTF-8"
  $sudo localedef -i cs_CZ -f UTF-8 cs_CZ.UTF-8
fi
