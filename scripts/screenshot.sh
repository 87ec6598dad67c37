#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Takes the screenshots in docs/: the main window with its batch marks, About, an error box, the
# Rename box and the progress window of a long batch, in a
# light and a dark desktop theme (GTK's Adwaita, through Qt's gtk3 platform theme), framed by
# openbox. Corvane runs under Xvfb on a temporary home folder of MP3 names. Needs xvfb, xdotool,
# openbox and x11-utils (the bootstrap's), imagemagick and qt6-gtk-platformtheme.
# Usage: scripts/screenshot.sh [corvane binary] [output folder]
set -euo pipefail
binary=${1:-build/ui/corvane}
output=${2:-docs}
mkdir -p "$output"

work=$(mktemp -d)
trap 'kill "${app:-}" "${wm:-}" "${xvfb:-}" 2>/dev/null; rm -rf "$work"' EXIT
# A home folder of MP3 names; the last two map to one name, so the batch stops with a message.
make_home() {
    rm -rf "$work/home" "$work/state"
    mkdir -p "$work/home"
    for name in "01_-_the_beatles_-_let_it_be.mp3" "02_-_pink_floyd_-_time,live.mp3" \
        "03-daft_punk-one_more_time.mp3" "04_-_bjork_-_joga.mp3" \
        "05 - Simon & Garfunkel - April.mp3" "05_-_Simon_&_Garfunkel_-_April.mp3"; do
        touch "$work/home/$name"
    done
}

source "$(dirname "$0")/xvfb.sh"
start_xvfb "$work"
start_openbox "$work"

# Saves the framed window called $1 as $2.
shoot() {
    local window frame
    window=$(timeout 20 xdotool search --sync --onlyvisible --name "^$1\$" | head -n1)
    sleep 0.5
    frame=$(frame_of "$window")
    read -r x y width height <<<"$frame"
    import -window root -crop "${width}x${height}+${x}+${y}" +repage "$2"
    echo "wrote $2"
}

for theme in light dark; do
    gtk_theme=Adwaita
    [[ $theme == dark ]] && gtk_theme=Adwaita:dark
    make_home
    HOME=$work/home XDG_STATE_HOME=$work/state QT_QPA_PLATFORM=xcb QT_QPA_PLATFORMTHEME=gtk3 \
        GTK_THEME=$gtk_theme "$binary" 2>/dev/null &
    app=$!
    window=$(corvane_window)
    shoot Corvane "$output/main-$theme.png"

    eval "$(xdotool getwindowgeometry --shell "$window")"
    xdotool mousemove --sync $((X + 16)) $((Y - 10)) click 1
    sleep 0.3
    xdotool key Down Return
    shoot About "$output/about-$theme.png"
    xdotool key Return

    # The first listed name, double-clicked, opens the Rename box.
    xdotool mousemove --sync $((X + 280)) $((Y + 74)) click --repeat 2 1
    shoot Rename "$output/rename-$theme.png"
    xdotool key Escape

    # The batch button: the two names mapped to one stop it with a message.
    xdotool mousemove --sync $((X + 96)) $((Y + HEIGHT - 40)) click 1
    shoot Error "$output/error-$theme.png"
    xdotool key Return
    kill "$app"
    wait "$app" 2>/dev/null || true
done

# A batch of many files runs long enough to show its progress window.
rm -rf "$work/home" "$work/state"
mkdir -p "$work/home"
(cd "$work/home" && seq -f "%06g_-_some_artist_-_a_long_song_title.mp3" 1 100000 | xargs touch)
HOME=$work/home XDG_STATE_HOME=$work/state QT_QPA_PLATFORM=xcb QT_QPA_PLATFORMTHEME=gtk3 \
    GTK_THEME=Adwaita "$binary" 2>/dev/null &
app=$!
window=$(corvane_window)
eval "$(xdotool getwindowgeometry --shell "$window")"
xdotool mousemove --sync $((X + 96)) $((Y + HEIGHT - 40)) click 1
shoot Renaming "$output/progress-light.png"
kill "$app"
wait "$app" 2>/dev/null || true
