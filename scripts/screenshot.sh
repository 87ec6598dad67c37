#!/usr/bin/env bash
# Takes the README's screenshot of the main window: Corvane runs under Xvfb on a temporary
# home folder of MP3 names. Needs xvfb and xdotool (the bootstrap's) and imagemagick.
# Usage: scripts/screenshot.sh [corvane binary] [output png]
set -euo pipefail
binary=${1:-build/ui/corvane}
output=${2:-docs/screenshot.png}

work=$(mktemp -d)
trap 'kill "${app:-}" "${xvfb:-}" 2>/dev/null; rm -rf "$work"' EXIT
mkdir -p "$work/home/Music"
for name in "01_-_the_beatles_-_let_it_be.mp3" "02_-_pink_floyd_-_time,live.mp3" \
    "03-daft_punk-one_more_time.mp3" "04_-_bjork_-_joga.mp3" "05 - Simon & Garfunkel - April.mp3"; do
    touch "$work/home/$name"
done

source "$(dirname "$0")/xvfb.sh"
start_xvfb "$work"

HOME=$work/home XDG_STATE_HOME=$work/state QT_QPA_PLATFORM=xcb "$binary" &
app=$!
window=$(corvane_window)
sleep 1
eval "$(xdotool getwindowgeometry --shell "$window")"
import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$output"
echo "wrote $output"
