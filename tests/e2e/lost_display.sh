#!/usr/bin/env bash
# The display goes away during play: the program must end within 2 s with one line on stderr and a
# non-zero status, and (in a sanitizer build) without any report on its way out.
#
#   lost_display.sh <tesselor> <shot_check> <resources dir> <server|close|kill>
#
# server: the X server dies. close: another client destroys our window (xdotool windowclose).
# kill: another client kills our connection to the server (xdotool windowkill).
# Exits 77 (skipped) when the X tools are not installed.
set -u

for tool in Xvfb xdotool import; do
    if ! command -v "$tool" >/dev/null 2>&1; then
        echo "lost_display: $tool is not installed; skipped"
        exit 77
    fi
done

game=$1
check=$2
res=$3
how=$4

# shellcheck source=tests/e2e/xvfb.sh
. "$(dirname "$0")/xvfb.sh"
e2e_work lost

fail() {
    echo "lost_display ($how): FAILED: $*"
    for log in "$work"/game.err "$work"/xvfb.log; do
        [ -s "$log" ] && { echo "--- $log"; tail -n 40 "$log"; }
    done
    exit 1
}

start_private_xvfb

# Leak checking is off in a sanitizer build: the X and D-Bus libraries' own leftovers are not this
# program's leaks. Every other check stays on, and any report fails the test.
(cd "$work" && exec env SDL_AUDIODRIVER=dummy ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0" \
    "$game" >"$work/game.out" 2>"$work/game.err") &
game_pid=$!

wid=$(wait_for_game_window "$game_pid") || fail "no window named Tesselor"
timeout 5 xdotool windowfocus --sync "$wid" 2>/dev/null

# Space starts a game: the title leaves the screen (pressed again if the window was still settling).
started=""
for _ in 1 2 3; do
    xdotool keydown space sleep 0.05 keyup space
    sleep 0.5
    import -window root "$work/shot.ppm" 2>/dev/null || fail "no screenshot"
    if ! "$check" picture "$work/shot.ppm" "$res/TITLE.bmp" >/dev/null 2>&1; then
        started=yes
        break
    fi
done
[ -n "$started" ] || fail "Space did not start a game"
sleep 1
kill -0 "$game_pid" 2>/dev/null || fail "the program ended during play"

case $how in
    server) kill "$xvfb_pid" ;;
    close) xdotool windowclose "$wid" ;;
    kill) xdotool windowkill "$wid" ;;
    *) fail "unknown way to lose the display: $how" ;;
esac
lost=$(date +%s.%N)

wait_for_exit "$game_pid" 2 || fail "still running 2 s after the display went away"
wait "$game_pid"
code=$?
game_pid=""
took=$(awk -v s="$lost" -v n="$(date +%s.%N)" 'BEGIN { printf "%.2f", n - s }')

[ "$code" -ne 0 ] || fail "the program ended with status 0"
[ "$code" -lt 128 ] || fail "the program was killed by signal $((code - 128))"
grep -q -E 'Sanitizer|runtime error' "$work/game.err" && fail "a sanitizer report on the way out"
lines=$(grep -c '' "$work/game.err")
[ "$lines" -eq 1 ] || fail "$lines lines on stderr, not one"
grep -q -E '^tesselor: .*(display|window)' "$work/game.err" || fail "the line does not say the display is lost"
echo "lost_display ($how): passed: ended after $took s with status $code: $(cat "$work/game.err")"
