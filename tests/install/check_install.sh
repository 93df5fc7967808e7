#!/bin/sh
# Installs the build into a fresh prefix and checks that every file lands where
# the programs and the desktop look for it.
#   check_install.sh BUILD_DIR
set -eu
build=$1
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT

cmake --install "$build" --prefix "$prefix" >/dev/null

status=0
need() {
    if [ ! -e "$prefix/$1" ]; then
        echo "missing after install: $1" >&2
        status=1
    fi
}
need bin/quorvel-tabwright
need bin/quorvel-tabwright-export
need bin/HAND-M.CUR
need share/applications/quorvel-tabwright.desktop
need share/icons/hicolor/scalable/apps/quorvel-tabwright.svg
need share/man/man1/quorvel-tabwright-export.1
[ $status -eq 0 ] || exit 1

for p in quorvel-tabwright quorvel-tabwright-export; do
    [ -x "$prefix/bin/$p" ] || { echo "not executable: bin/$p" >&2; exit 1; }
done

# The installed export command runs from the prefix, and its usage is what the man page describes.
usage=$(QT_QPA_PLATFORM=offscreen "$prefix/bin/quorvel-tabwright-export" --help)
echo "$usage" | grep -q '^Usage: quorvel-tabwright-export' || { echo "no usage from the installed command" >&2; exit 1; }
man="$prefix/share/man/man1/quorvel-tabwright-export.1"
for option in csv xls png pdf help; do
    echo "$usage" | grep -q -- "--$option" || continue
    grep -q -- "\\\\-\\\\-$option" "$man" || { echo "man page does not describe --$option" >&2; exit 1; }
done
if command -v groff >/dev/null 2>&1; then
    warnings=$(groff -man -Tutf8 -ww -z "$man" 2>&1)
    [ -z "$warnings" ] || { echo "man page: $warnings" >&2; exit 1; }
fi

desktop="$prefix/share/applications/quorvel-tabwright.desktop"
grep -qx 'Exec=quorvel-tabwright' "$desktop" || { echo "desktop file: wrong Exec" >&2; exit 1; }
grep -qx 'Icon=quorvel-tabwright' "$desktop" || { echo "desktop file: wrong Icon" >&2; exit 1; }
if command -v desktop-file-validate >/dev/null 2>&1; then
    desktop-file-validate "$desktop"
fi

python3 - "$prefix/share/icons/hicolor/scalable/apps/quorvel-tabwright.svg" <<'PY'
import sys
import xml.etree.ElementTree as ET
root = ET.parse(sys.argv[1]).getroot()
if root.tag != '{http://www.w3.org/2000/svg}svg' or not root.get('viewBox'):
    sys.exit('icon: not a scalable SVG')
PY
echo "install OK"
