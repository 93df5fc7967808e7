#!/bin/sh
# Installs the build into a fresh prefix and checks that every file lands where
# the programs, the desktop and software centres look for it, and that each
# passes its format's own validator.
#   check_install.sh BUILD_DIR VERSION
set -eu
build=$1
version=$2
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT

for tool in appstreamcli desktop-file-validate man groff; do
    command -v "$tool" >/dev/null 2>&1 || { echo "$tool is needed (./run.sh --test installs it)" >&2; exit 1; }
done

cmake --install "$build" --prefix "$prefix" >/dev/null

id=org.quorvel.tabwright
status=0
need() {
    if [ ! -e "$prefix/$1" ]; then
        echo "missing after install: $1" >&2
        status=1
    fi
}
need bin/quorvel-tabwright
need bin/quorvel-tabwright-export
need share/quorvel-tabwright/HAND-M.CUR
need share/applications/$id.desktop
need share/metainfo/$id.metainfo.xml
need share/icons/hicolor/scalable/apps/quorvel-tabwright.svg
need share/man/man1/quorvel-tabwright.1
need share/man/man1/quorvel-tabwright-export.1
[ $status -eq 0 ] || exit 1
# Only the programs go to bin; the program finds its hand pointer in the data folder.
extra=$(ls "$prefix/bin" | grep -vx -e quorvel-tabwright -e quorvel-tabwright-export || true)
[ -z "$extra" ] || { echo "bin holds more than the programs: $extra" >&2; exit 1; }

for p in quorvel-tabwright quorvel-tabwright-export; do
    [ -x "$prefix/bin/$p" ] || { echo "not executable: bin/$p" >&2; exit 1; }
done

# The installed programs run from the prefix, without a display; their usage is what the man pages describe.
for p in quorvel-tabwright quorvel-tabwright-export; do
    got=$(env -u DISPLAY -u WAYLAND_DISPLAY "$prefix/bin/$p" --version)
    [ "$got" = "$p $version" ] || { echo "$p --version: '$got', expected '$p $version'" >&2; exit 1; }
    usage=$(env -u DISPLAY -u WAYLAND_DISPLAY "$prefix/bin/$p" --help)
    echo "$usage" | grep -q "^Usage: $p" || { echo "no usage from the installed $p" >&2; exit 1; }
    man="$prefix/share/man/man1/$p.1"
    for option in $(echo "$usage" | grep -o -- '--[a-z][a-z-]*' | sort -u); do
        escaped=$(echo "$option" | sed 's/-/\\\\-/g')
        grep -q -- "$escaped" "$man" || { echo "$p.1 does not describe $option" >&2; exit 1; }
    done
    grep -q "^\.TH .*\"Quorvel Tabwright $version\"" "$man" || { echo "$p.1 is not of version $version" >&2; exit 1; }
    warnings=$(groff -man -Tutf8 -ww -z "$man" 2>&1)
    [ -z "$warnings" ] || { echo "$p.1: $warnings" >&2; exit 1; }
    warnings=$(LC_ALL=C.UTF-8 man --warnings -l "$man" 2>&1 >/dev/null)
    [ -z "$warnings" ] || { echo "$p.1: $warnings" >&2; exit 1; }
done

desktop="$prefix/share/applications/$id.desktop"
grep -qx 'Exec=quorvel-tabwright' "$desktop" || { echo "desktop file: wrong Exec" >&2; exit 1; }
grep -qx 'Icon=quorvel-tabwright' "$desktop" || { echo "desktop file: wrong Icon" >&2; exit 1; }
desktop-file-validate "$desktop"

metainfo="$prefix/share/metainfo/$id.metainfo.xml"
appstreamcli validate --no-net --pedantic "$metainfo" >/dev/null || {
    appstreamcli validate --no-net --pedantic "$metainfo" >&2
    exit 1
}
# What the metainfo points at is installed, and its newest release is this version.
python3 - "$metainfo" "$prefix" "$id" "$version" <<'PY'
import os
import sys
import xml.etree.ElementTree as ET
metainfo, prefix, cid, version = sys.argv[1:]
root = ET.parse(metainfo).getroot()
problems = []
if root.findtext('id') != cid:
    problems.append(f'id {root.findtext("id")!r}, expected {cid!r}')
for launchable in root.iter('launchable'):
    if not os.path.isfile(os.path.join(prefix, 'share/applications', launchable.text)):
        problems.append(f'launchable {launchable.text} is not installed')
for binary in root.iter('binary'):
    if not os.access(os.path.join(prefix, 'bin', binary.text), os.X_OK):
        problems.append(f'binary {binary.text} is not installed')
releases = [r.get('version') for r in root.iter('release')]
if not releases or releases[0] != version:
    problems.append(f'newest release {releases[:1]}, expected {version}')
for p in problems:
    print('metainfo:', p, file=sys.stderr)
sys.exit(1 if problems else 0)
PY

python3 - "$prefix/share/icons/hicolor/scalable/apps/quorvel-tabwright.svg" <<'PY'
import sys
import xml.etree.ElementTree as ET
root = ET.parse(sys.argv[1]).getroot()
if root.tag != '{http://www.w3.org/2000/svg}svg' or not root.get('viewBox'):
    sys.exit('icon: not a scalable SVG')
PY
echo "install OK"
