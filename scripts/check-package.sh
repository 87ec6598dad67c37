#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs and packs Corvane from a built tree, then checks what came out: the desktop entry
# and AppStream file validate, the .deb names Debian's Qt 6 packages and lintian finds no
# error in it, and, installed into a clean minimal Debian root without recommended packages,
# the program opens its window under Xvfb.
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

dpkg-deb --field "$deb" Depends | grep -q 'qt6-qpa-plugins' || { echo "no platform plugins"; exit 1; }
dpkg-deb --field "$deb" Recommends | grep -q 'qt6-wayland' || { echo "no Wayland plugin"; exit 1; }

# The .deb installed without recommended packages into a clean minimal Debian, where nothing
# else has brought in what it needs, opens its window there.
source scripts/xvfb.sh
start_xvfb "$work"
if [[ $(id -u) -ne 0 ]]; then
    echo "skipped: installing into a clean Debian root needs root"
    exit 0
fi
root=$work/root
suite=$(. /etc/os-release && echo "$VERSION_CODENAME")
mmdebstrap --variant=apt --mode=root --quiet \
    --customize-hook="copy-in $deb /tmp" \
    --customize-hook="chroot \"\$1\" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends /tmp/$(basename "$deb")" \
    "$suite" "$root" http://deb.debian.org/debian
trap 'kill "${app:-}" "${xvfb:-}" 2>/dev/null || true; sleep 0.5; umount -R "$root/dev" "$root/proc" "$root/tmp/.X11-unix" 2>/dev/null || true; rm -rf "$work"' EXIT
mkdir -p "$root/tmp/.X11-unix" "$root/dev" "$root/proc"
mount --bind /tmp/.X11-unix "$root/tmp/.X11-unix"
mount --rbind /dev "$root/dev"
mount -t proc proc "$root/proc"
chroot "$root" env HOME=/root DISPLAY="$DISPLAY" QT_QPA_PLATFORM=xcb /usr/bin/corvane &
app=$!
window=$(corvane_window)
[[ -n $window ]] || { echo "the installed program showed no window in a clean Debian"; exit 1; }
echo "package checked: $(basename "$deb") installed into a clean $suite, window $window"
