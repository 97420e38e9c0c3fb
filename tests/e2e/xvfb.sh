# Sourced by the end-to-end scripts: starts a private X server for the game and exports DISPLAY.
# Needs $work (a temp dir) and a `fail` function; sets $xvfb_pid for the caller's clean-up.
# The screen is 4:3 and twice the game's size, so every game pixel becomes an exact 2x2 block; a
# first argument (WxH) asks for another size.
start_private_xvfb() {
    Xvfb -displayfd 3 -screen 0 "${1:-1280x960}x24" -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
    xvfb_pid=$!
    for _ in $(seq 50); do
        [ -s "$work/display" ] && break
        sleep 0.1
    done
    [ -s "$work/display" ] || fail "Xvfb did not start"
    export DISPLAY=":$(head -n1 "$work/display")"
}
