# Sourced by the scripts that run Corvane under a virtual X server.

# Starts Xvfb on a free display, exports DISPLAY and sets xvfb to its process id.
# Usage: start_xvfb <scratch folder>
start_xvfb() {
    local display_file=$1/display
    exec 3>"$display_file"
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp &
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
