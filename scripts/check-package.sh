#!/usr/bin/env bash
# Installs and packs Corvane from a built tree, then checks what came out: the desktop entry
# and AppStream file validate, the .deb names Debian's Qt 6 packages and lintian finds no
# error in it, and the program unpacked from it opens its window under Xvfb.
# Usage: scripts/check-package.sh [build folder]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}

work=$(mktemp -d)
trap 'kill "${app:-}" "${xvfb:-}" 2>/dev/null || true; rm -rf "$work"' EXIT

cmake --install "$build" --prefix "$work/installed" >/dev/null
desktop-file-validate "$work"/installed/share/applications/*.desktop
appstreamcli validate --no-net "$work"/installed/share/metainfo/*.metainfo.xml
for icon in 48x48/apps/corvane.png scalable/apps/corvane.svg; do
    [[ -f $work/installed/share/icons/hicolor/$icon ]] || { echo "missing icon $icon"; exit 1; }
done

(cd "$build" && cpack -G DEB -B "$work/package" >/dev/null)
deb=$(ls "$work"/package/corvane_*.deb)
dpkg-deb --info "$deb"
dpkg-deb --field "$deb" Depends | grep -q 'libqt6widgets6' || { echo "no Qt 6 dependency"; exit 1; }
lintian --fail-on error "$deb"

dpkg-deb -x "$deb" "$work/unpacked"
source scripts/xvfb.sh
start_xvfb "$work"
mkdir -p "$work/home"
HOME=$work/home XDG_STATE_HOME=$work/state QT_QPA_PLATFORM=xcb "$work/unpacked/usr/bin/corvane" &
app=$!
window=$(corvane_window)
[[ -n $window ]] || { echo "the unpacked program showed no window"; exit 1; }
echo "package checked: $(basename "$deb"), window $window"
