# SPDX-License-Identifier: GPL-3.0-or-later
# Sourced by the scripts that run Corvane under a virtual X server.

# Starts Xvfb on a free display, exports DISPLAY and sets xvfb to its process id.
# Usage: start_xvfb <scratch folder>
start_xvfb() {
    local display_file=$1/display
    exec 3>"$display_file"
    # -noreset: a program that quits does not make the server reset under the next one.
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset &
    xvfb=$!
    for _ in $(seq 100); do
        [[ -s $display_file ]] && break
        sleep 0.1
    done
    [[ -s $display_file ]] || { echo "Xvfb did not start" >&2; return 1; }
    DISPLAY=:$(head -n1 "$display_file")
    export DISPLAY
}

# Prints the id of Corvane's main window once it is shown; fails after 20 seconds.
corvane_window() {
    timeout 20 xdotool search --sync --onlyvisible --name '^Corvane$' | head -n1
}

# Prints a window's outer frame as "left top width height", once the window manager has framed it.
frame_of() {
    local extents
    extents=$(xprop -id "$1" _NET_FRAME_EXTENTS 2>/dev/null | grep -o '[0-9, ]*$' | tr -d ' ')
    [[ -n $extents ]] || return 1
    IFS=, read -r left right top bottom <<<"$extents"
    local info x y width height
    info=$(xwininfo -id "$1")
    x=$(sed -n 's/.*Absolute upper-left X: *//p' <<<"$info")
    y=$(sed -n 's/.*Absolute upper-left Y: *//p' <<<"$info")
    width=$(sed -n 's/.*Width: *//p' <<<"$info")
    height=$(sed -n 's/.*Height: *//p' <<<"$info")
    echo $((x - left)) $((y - top)) $((width + left + right)) $((height + top + bottom))
}
# Starts openbox on the display, sets wm to its process id and waits until it manages windows;
# what it said is in the scratch folder's openbox.log.
# Usage: start_openbox <scratch folder>
start_openbox() {
    openbox --sm-disable >"$1/openbox.log" 2>&1 &
    wm=$!
    for _ in $(seq 200); do
        xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && return 0
        sleep 0.1
    done
    cat "$1/openbox.log" >&2
    return 1
}
