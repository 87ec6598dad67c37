#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Started with no display, the program says why and fails. The real program under a real X
# server: xdotool presses the batch button, then Undo, and the folder's names and the undo log's
# bytes are checked after each.
# Usage: e2e_test.sh <corvane binary>
set -euo pipefail
binary=$1

work=$(mktemp -d)
cleanup() {
    kill "${app:-}" "${xvfb:-}" 2>/dev/null || true
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
mkdir -p "$work/home" "$work/state"
touch "$work/home/01_-_a_b.mp3" "$work/home/x,y.mp3" "$work/home/notes.txt"

fail() { echo "FAIL: $*"; exit 1; }

# Waits until a command succeeds, for up to ten seconds.
await() {
    for _ in $(seq 100); do
        "$@" && return 0
        sleep 0.1
    done
    return 1
}

names() { (cd "$work/home" && ls -1 | tr '\n' '|'); }
names_are() { [[ "$(names)" == "$1" ]]; }
log=$work/state/corvane/razveljavi.txt

# Without a display it can reach, the program says so in one line and fails, without Qt's abort.
status=0
said=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM HOME="$work/home" \
    XDG_STATE_HOME="$work/state" "$binary" 2>&1) || status=$?
[[ $status -eq 1 && $said == "Corvane needs a graphical desktop session: no display found" ]] ||
    fail "without a display: status $status, said: $said"

source "$(dirname "$0")/../scripts/xvfb.sh"
start_xvfb "$work"

HOME=$work/home XDG_STATE_HOME=$work/state QT_QPA_PLATFORM=xcb "$binary" &
app=$!
window=$(corvane_window)
eval "$(xdotool getwindowgeometry --shell "$window")"
[[ -f $log && ! -s $log ]] || fail "the empty undo log was not created at start-up"

# The batch button's centre lies 40 pixels above the client area's bottom, 96 from its left;
# the Undo button sits 12 pixels into the 480-pixel client area, 244 from its left.
xdotool mousemove --sync $((X + 96)) $((Y + HEIGHT - 40)) click 1
await names_are "01 - a b.mp3|notes.txt|x - y.mp3|" || fail "batch: $(names)"
expected=$(printf '"01 - a b.mp3","01_-_a_b.mp3"\r\n"x - y.mp3","x,y.mp3"\r\n')
[[ "$(cat "$log")" == "$expected" ]] || fail "batch log: $(od -c "$log")"

xdotool mousemove --sync $((X + 244)) $((Y + HEIGHT - 480 + 12)) click 1
await names_are "01_-_a_b.mp3|notes.txt|x,y.mp3|" || fail "undo: $(names)"
[[ "$(cat "$log")" == "$expected" ]] || fail "undo changed the log"

echo "3 passed, 0 failed"
