#!/usr/bin/env bash
# Builds the Debian package from an existing build folder and checks it as installed software:
# unpacked into a scratch root, its lorvika-db runs and creates a database, the desktop entry
# and the AppStream data validate, the program keeps its files in the home of a fresh user,
# and lintian (when present) finds no error.
set -euo pipefail
build=${1:?build folder}

cmake --build "$build" --target package
deb=$(ls -t "$build"/package/lorvika_*.deb | head -n1)
echo "Balíček: $deb"

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
dpkg -x "$deb" "$scratch/root"
usr="$scratch/root/usr"
id=$(basename "$(ls "$usr"/share/applications/*.desktop)" .desktop)

# A fresh user: nothing in the home, no LORVIKA_HOME.
home="$scratch/home"
mkdir -p "$home"
run() { env -i HOME="$home" PATH=/usr/bin:/bin LANG=C.UTF-8 "$@"; }

run "$usr/bin/lorvika-db" --help >"$scratch/help.txt"
grep -q '^  lorvika-db create ADRESÁŘ$' "$scratch/help.txt"
run "$usr/bin/lorvika-db" create "$scratch/db"
test -f "$scratch/db/cddata.DBF" && test -f "$scratch/db/cdskladby.DBF"
run "$usr/bin/lorvika-db" check "$scratch/db"
# The installed program writes its settings into the home, never beside itself.
run "$usr/bin/lorvika-db" open "$scratch/db" >/dev/null
test -f "$home/.local/share/lorvika/lorvika.ini"
test "$(ls "$usr/bin" | tr '\n' ' ')" = "lorvika lorvika-db "

for f in "$usr/bin/lorvika" "$usr/bin/lorvika-db" "$usr/share/man/man1/lorvika.1.gz" \
  "$usr/share/man/man1/lorvika-db.1.gz" "$usr/share/bash-completion/completions/lorvika-db" \
  "$usr/share/metainfo/$id.metainfo.xml" "$usr/share/icons/hicolor/scalable/apps/$id.svg"; do
  test -f "$f" || { echo "V balíčku chybí $f" >&2; exit 1; }
done
for s in 16 32 48 64 128 256; do
  identify -format '%wx%h\n' "$usr/share/icons/hicolor/${s}x${s}/apps/$id.png" | grep -qx "${s}x${s}"
done
dpkg-deb -f "$deb" Depends | grep -q 'qt6-translations-l10n'
dpkg-deb -f "$deb" Depends | grep -q 'libqt6widgets6'

desktop-file-validate "$usr/share/applications/$id.desktop"
appstreamcli validate --no-net "$usr/share/metainfo/$id.metainfo.xml"

if command -v lintian >/dev/null; then
  # errors fail the step; warnings are shown
  lintian --fail-on error "$deb"
else
  echo "lintian chybí, balíček neprověřen"
fi
echo "Balíček je v pořádku"
