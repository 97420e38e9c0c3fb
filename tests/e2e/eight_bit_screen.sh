#!/usr/bin/env bash
# The program on an 8-bit screen, where SDL knows no pixel format to draw the window in (its
# renderers and the window's own surface all refuse it): the program must not sit there with a black
# window, making a renderer (and a new X window) again every frame. It ends within a few seconds with
# one line on stderr, "tesselor: cannot draw on this display: <SDL's reason>", and status 1, as it
# does where it cannot open a window; in a sanitizer build without any report on its way out.
#
#   eight_bit_screen.sh <tesselor>
#
# Needs no graphics processor: the X server draws in memory, whatever the machine has.
# Exits 77 (skipped) when Xvfb is not installed.
set -u

if ! command -v Xvfb >/dev/null 2>&1; then
    echo "eight_bit_screen: Xvfb is not installed; skipped"
    exit 77
fi

game=$1

# shellcheck source=tests/e2e/xvfb.sh
. "$(dirname "$0")/xvfb.sh"
e2e_work 8bit

fail() {
    echo "eight_bit_screen: FAILED: $*"
    for log in "$work"/game.err "$work"/game.out "$work"/xvfb.log; do
        [ -s "$log" ] && { echo "--- $log"; tail -n 20 "$log"; }
    done
    exit 1
}

start_private_xvfb 640x480 8

# Leak checking is off in a sanitizer build: the X and D-Bus libraries' own leftovers are not this
# program's leaks. Every other check stays on, and any report fails the test.
(cd "$work" && exec env SDL_AUDIODRIVER=dummy ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0" \
    "$game" >"$work/game.out" 2>"$work/game.err") &
game_pid=$!

# The bound is generous for a loaded machine and a sanitizer build; the fault never ends at all.
wait_for_exit "$game_pid" 10 || fail "still running 10 s after it started on an 8-bit screen"
wait "$game_pid"
code=$?
game_pid=""

[ "$code" -lt 128 ] || fail "the program was killed by signal $((code - 128))"
[ "$code" -eq 1 ] || fail "the program ended with status $code, not 1"
grep -q -E 'Sanitizer|runtime error' "$work/game.err" && fail "a sanitizer report on the way out"
lines=$(grep -c '' "$work/game.err")
[ "$lines" -eq 1 ] || fail "$lines lines on stderr, not one"
grep -q -E '^tesselor: cannot draw on this display: .*[^ ]' "$work/game.err" ||
    fail "the line does not say that the program cannot draw on this display"
[ -s "$work/game.out" ] && fail "the program wrote to stdout"
echo "eight_bit_screen: passed: status $code: $(cat "$work/game.err")"
