# Sourced by the end-to-end scripts: makes the script's working directory, starts a private X server
# for the game and exports DISPLAY, finds the game's window on it and waits for the game to end.
# Past e2e_work the functions need $work and a `fail` function; start_private_xvfb sets $xvfb_pid.

# Makes $work, a fresh directory named for the script ($1), and clears $xvfb_pid and $game_pid; when
# the script ends, whichever way, e2e_cleanup kills what is left of the game and the X server and
# removes $work (a script with more to stop traps its own clean-up and calls e2e_cleanup last).
e2e_work() {
    work=$(mktemp -d "/tmp/tesselor-$1-XXXXXX")
    xvfb_pid=""
    game_pid=""
    trap e2e_cleanup EXIT
}
e2e_cleanup() {
    if [ -n "$game_pid" ] && kill -0 "$game_pid" 2>/dev/null; then kill -9 "$game_pid"; fi
    if [ -n "$xvfb_pid" ] && kill -0 "$xvfb_pid" 2>/dev/null; then kill "$xvfb_pid"; fi
    rm -rf "$work"
}

# The screen is 4:3 and twice the game's size, so every game pixel becomes an exact 2x2 block, in
# 24-bit colour; a first argument (WxH) asks for another size, a second for another depth in bits.
start_private_xvfb() {
    Xvfb -displayfd 3 -screen 0 "${1:-1280x960}x${2:-24}" -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
    xvfb_pid=$!
    for _ in $(seq 50); do
        [ -s "$work/display" ] && break
        sleep 0.1
    done
    [ -s "$work/display" ] || fail "Xvfb did not start"
    export DISPLAY=":$(head -n1 "$work/display")"
}

# Prints the id of the game's window once SDL has settled on one (it may make its window more than
# once while it sets up the display). Fails when the program ($1, a pid) ends first or no window stays.
wait_for_game_window() {
    local wid="" now
    for _ in $(seq 100); do
        kill -0 "$1" 2>/dev/null || return 1
        now=$(xdotool search --onlyvisible --name '^Tesselor$' 2>/dev/null | tail -n1)
        if [ -n "$now" ] && [ "$now" = "$wid" ]; then
            echo "$wid"
            return 0
        fi
        wid=$now
        sleep 0.3
    done
    return 1
}

# Waits up to $2 seconds for the process $1 to end; fails when it is still running then.
wait_for_exit() {
    for _ in $(seq "$(awk -v s="$2" 'BEGIN { print int(s * 20) }')"); do
        kill -0 "$1" 2>/dev/null || return 0
        sleep 0.05
    done
    ! kill -0 "$1" 2>/dev/null
}
