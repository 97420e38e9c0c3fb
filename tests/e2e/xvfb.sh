# Sourced by the end-to-end scripts: starts a private X server for the game and exports DISPLAY,
# finds the game's window on it and waits for the game to end.
# Needs $work (a temp dir) and a `fail` function; sets $xvfb_pid for the caller's clean-up.
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
