#!/usr/bin/env bash
# Smoke test of the real program on a private X server: the title picture fills the screen in its own
# colours, Space starts a game, Escape returns to the title and Escape again ends the program with 0.
#
#   smoke.sh <tesselor executable> <TITLE.bmp>
# Exits 77 (skipped) when the X tools are not installed.
set -u

game=$1
title=$2

for tool in Xvfb xdotool import convert; do
    if ! command -v "$tool" >/dev/null 2>&1; then
        echo "smoke: $tool is not installed; skipped"
        exit 77
    fi
done

# shellcheck source=tests/e2e/xvfb.sh
. "$(dirname "$0")/xvfb.sh"
e2e_work smoke

fail() {
    echo "smoke: FAILED: $*"
    for log in "$work"/game.log "$work"/xvfb.log; do
        [ -s "$log" ] && { echo "--- $log"; tail -n 20 "$log"; }
    done
    exit 1
}

start_private_xvfb

# Started in an empty directory: the colours must come from the program itself. In a sanitizer
# build the X and D-Bus libraries' own leftovers are not this program's leaks (the headless tests
# look for those), so leak checking is off here; every other check stays on.
(cd "$work" && exec env SDL_AUDIODRIVER=dummy ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0" \
    "$game" >"$work/game.log" 2>&1) &
game_pid=$!

wid=$(wait_for_game_window "$game_pid") || fail "no window named Tesselor stayed (or the program ended first)"
sleep 1

# Colour counts "count hex" of an image, most frequent first.
histogram() {
    convert "$1" -format %c histogram:info:- | sed -E 's/^ *([0-9]+): .*(#[0-9A-Fa-f]{6}).*/\1 \2/' | sort -rn
}

import -window root "$work/title.png" || fail "no screenshot"
histogram "$title" >"$work/title.hist"
histogram "$work/title.png" >"$work/shot.hist"
# The eight most frequent colours of the picture cover (about) four times as many screen pixels.
head -n 8 "$work/title.hist" | while read -r count hex; do
    got=$(awk -v h="$hex" 'toupper($2) == toupper(h) { print $1 }' "$work/shot.hist")
    got=${got:-0}
    if [ "$got" -lt $((count * 3)) ] || [ "$got" -gt $((count * 5)) ]; then
        echo "colour $hex: $got screen pixels for $count picture pixels" >"$work/bad"
        break
    fi
done
[ -e "$work/bad" ] && fail "$(cat "$work/bad")"
black=$(awk 'toupper($2) == "#000000" { print $1 }' "$work/shot.hist")
[ "${black:-0}" -lt 122880 ] || fail "the screen is mostly black ($black pixels)"

xdotool windowfocus "$wid" 2>/dev/null
xdotool key --clearmodifiers space
sleep 1.5
import -window root "$work/play.png" || fail "no screenshot of play"
a=$(convert "$work/title.png" rgb:- | md5sum)
b=$(convert "$work/play.png" rgb:- | md5sum)
[ "$a" != "$b" ] || fail "Space did not start a game"

xdotool key --clearmodifiers Escape
sleep 0.5
kill -0 "$game_pid" 2>/dev/null || fail "Escape during play ended the program"
xdotool key --clearmodifiers Escape

wait_for_exit "$game_pid" 5 || fail "Escape on the title did not end the program"
wait "$game_pid"
code=$?
game_pid=""
[ "$code" -eq 0 ] || fail "the program ended with code $code"
echo "smoke: passed"
