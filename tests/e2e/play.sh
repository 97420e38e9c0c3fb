#!/usr/bin/env bash
# A game played on a private X server with real key presses, as a player would: the title, Space,
# the craft flown left and right over the cloud sea with held arrows while Space fires, the first
# enemies, the cloud edge uncovering the city after some 45 seconds of play; then Escape back to the
# title and Escape to quit with 0.
# Each screenshot is checked by what it shows (shot_check, against the game's own pictures), the
# sound the game made is checked not to be silent, and nothing alarming may appear on stderr.
#
#   play.sh <tesselor> <shot_check> <resources dir> [--screenshots <dir>]
#
# With --screenshots the title, a moment of play and the city are also saved as 640x480 PNG files
# (title.png, play.png, city.png) into <dir>. Exits 77 (skipped) when the X tools are not installed.
set -u

for tool in Xvfb xdotool import convert; do
    if ! command -v "$tool" >/dev/null 2>&1; then
        echo "play: $tool is not installed; skipped"
        exit 77
    fi
done

# Absolute paths: the program runs in a directory of its own.
absolute() { echo "$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"; }
game=$(absolute "$1")
check=$(absolute "$2")
res=$(cd "$3" && pwd)
shots_dir=""
if [ "${4:-}" = "--screenshots" ] && [ -n "${5:-}" ]; then
    mkdir -p "$5" && shots_dir=$(cd "$5" && pwd)
fi

# shellcheck source=tests/e2e/xvfb.sh
. "$(dirname "$0")/xvfb.sh"
e2e_work play
pilot_pid=""
stop_pilot() {
    if [ -n "$pilot_pid" ]; then
        touch "$work/stop"
        wait "$pilot_pid" 2>/dev/null
        pilot_pid=""
        xdotool keyup Left keyup Right keyup space 2>/dev/null
    fi
}
cleanup() {
    stop_pilot
    e2e_cleanup
}
trap cleanup EXIT

start=$(date +%s.%N)
elapsed() { awk -v s="$start" -v n="$(date +%s.%N)" 'BEGIN { printf "%.1f", n - s }'; }
note() { echo "play: [$(elapsed) s] $*"; }

fail() {
    echo "play: FAILED after $(elapsed) s: $*"
    # Keep the last screenshots for a look: in the test's working directory, or in PLAY_FAILED_DIR.
    if ls "$work"/*.ppm >/dev/null 2>&1; then
        local kept=${PLAY_FAILED_DIR:-play-failed}
        mkdir -p "$kept"
        for f in "$work"/*.ppm; do convert "$f" "$kept/$(basename "${f%.ppm}").png" 2>/dev/null; done
        echo "play: screenshots kept in $(cd "$kept" && pwd)"
    fi
    for log in "$work"/game.err "$work"/game.out "$work"/xvfb.log; do
        [ -s "$log" ] && { echo "--- $log"; tail -n 20 "$log"; }
    done
    exit 1
}

# shot <name>: a screenshot of the whole screen into $work/<name>.ppm.
shot() {
    import -window root "$work/$1.ppm" 2>>"$work/import.log" || fail "no screenshot ($1)"
}
# save <name>: in screenshot mode, the game's 640x480 frame of that shot as <dir>/<name>.png.
save() {
    [ -n "$shots_dir" ] || return 0
    convert "$work/$1.ppm" -sample 640x480 -strip -define png:exclude-chunks=date,time "PNG8:$shots_dir/$1.png" ||
        fail "cannot save $shots_dir/$1.png"
    note "saved $shots_dir/$1.png"
}
is_picture() { "$check" picture "$work/$1.ppm" "$res/$2" >"$work/$1.facts" 2>&1; }

start_private_xvfb

# From an empty directory, with the sound going to a file (SDL's disk driver writes the raw float
# stream there). Leak checking is off in a sanitizer build: the X and D-Bus libraries' own leftovers
# are not this program's leaks (the headless tests look for those).
mkdir "$work/run"
(cd "$work/run" && exec env SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$work/sound.f32" \
    ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0" "$game" >"$work/game.out" 2>"$work/game.err") &
game_pid=$!

wid=$(wait_for_game_window "$game_pid") || fail "no window named Tesselor stayed (or the program ended first)"
timeout 5 xdotool windowfocus --sync "$wid" 2>/dev/null

# The title.
for _ in $(seq 20); do
    shot title
    is_picture title TITLE.bmp && break
    sleep 0.25
done
is_picture title TITLE.bmp || fail "the title picture is not on the screen: $(cat "$work/title.facts")"
note "title: $(cat "$work/title.facts")"
save title

# Space starts a game (pressed again if the first press went nowhere while the window settled).
started=""
for _ in 1 2 3; do
    xdotool keydown space sleep 0.05 keyup space
    for _ in $(seq 8); do
        sleep 0.25
        shot started
        if ! is_picture started TITLE.bmp; then
            started=yes
            break
        fi
    done
    [ -n "$started" ] && break
done
[ -n "$started" ] || fail "Space did not start a game"
play_start=$(date +%s.%N)
since_play() { awk -v s="$play_start" -v n="$(date +%s.%N)" 'BEGIN { printf "%.1f", n - s }'; }
note "Space started a game"

# The pilot: holds Left, so the craft runs to the left edge of the screen and stays there, and
# presses Space about ten times a second, so it fires a stream of shots. Once, some 11 s into play,
# it holds Right instead for 1.5 s and then Left again. (Played headless with the same timing, this
# keeps the craft alive well past the city with most of its shield, however the presses fall.) It
# stops once $work/stop exists.
presses() {  # presses <count>: Space pressed and released <count> times, 0.1 s apart
    local args=()
    for _ in $(seq "$1"); do args+=(keydown space sleep 0.04 keyup space sleep 0.06); done
    xdotool "${args[@]}"
}
pilot() {
    xdotool keydown Left
    local turned=""
    while [ ! -e "$work/stop" ]; do
        if [ -z "$turned" ] && [ "$(awk -v t="$(since_play)" 'BEGIN { print (t >= 11) }')" = 1 ]; then
            xdotool keyup Left keydown Right
            touch "$work/turned"
            presses 15
            xdotool keyup Right keydown Left
            turned=yes
        fi
        presses 5
    done
    xdotool keyup Left
}
pilot &
pilot_pid=$!

fact() { sed -n "s/.*\\b$2=\\([-0-9.]*\\).*/\\1/p" "$work/$1.facts"; }
look() { "$check" play "$work/$1.ppm" "$res/BG00.bmp" "$res/SPR.bmp" >"$work/$1.facts" 2>&1; }

# Held Left moves the craft left from (300,400), banking left.
sleep 0.6
shot moving
look moving
x=$(fact moving craft_x) bank=$(fact moving craft_bank) match=$(fact moving craft_match)
[ "$(awk -v m="$match" 'BEGIN { print (m >= 0.85) }')" = 1 ] && [ "$x" -gt 0 ] && [ "$x" -lt 300 ] &&
    { [ "$bank" = 1 ] || [ "$bank" = 3 ]; } ||
    fail "held Left did not move the craft left: $(cat "$work/moving.facts")"
note "held Left moves the craft left ($(since_play) s in): x $x, bank $bank"

# Early play: the cloud sea, the craft at the left edge (and no further), its shots, and the first
# enemy (it enters at frame 100).
early=""
for _ in $(seq 60); do
    sleep 0.25
    kill -0 "$game_pid" 2>/dev/null || fail "the program ended during play"
    shot early
    if look early && [ "$(fact early craft_x)" = 0 ]; then
        early=yes
        break
    fi
done
[ -n "$early" ] ||
    fail "early play does not look right, or the craft is not held at the left edge: $(cat "$work/early.facts")"
note "early play ($(since_play) s in): $(cat "$work/early.facts")"

# Held Right moves it back towards the middle, banking right: a moment with enemies, bullets and
# explosions about (frame 700 or so), the README's picture of play.
for _ in $(seq 200); do
    [ -e "$work/turned" ] && break
    kill -0 "$game_pid" 2>/dev/null || fail "the program ended during play"
    sleep 0.1
done
[ -e "$work/turned" ] || fail "the pilot did not turn"
sleep 1.2
shot play
is_picture play END.bmp && fail "the craft was lost before frame 700 or so"
look play
x=$(fact play craft_x) bank=$(fact play craft_bank)
[ "$x" -ge 100 ] && { [ "$bank" = 2 ] || [ "$bank" = 4 ]; } ||
    fail "held Right did not move the craft right: $(cat "$work/play.facts")"
note "held Right moves the craft right ($(since_play) s in): x $x, bank $bank, shield $(fact play shield)"
save play

# The city: from frame 2560 the cloud edge comes down the screen and uncovers it. Looked for every
# second from 40 s of play on, for as long as a slow (sanitizer) build may need.
city=""
while [ "$(awk -v t="$(since_play)" 'BEGIN { print (t < 40) }')" = 1 ]; do
    sleep 1
    kill -0 "$game_pid" 2>/dev/null || fail "the program ended during play"
done
for _ in $(seq 60); do
    kill -0 "$game_pid" 2>/dev/null || fail "the program ended during play"
    shot city
    if is_picture city END.bmp; then
        fail "the craft was lost before the city was reached ($(since_play) s of play)"
    fi
    if "$check" city "$work/city.ppm" "$res/BG00.bmp" >"$work/city.facts" 2>&1; then
        city=yes
        break
    fi
    sleep 1
done
[ -n "$city" ] || fail "the city did not appear: $(cat "$work/city.facts")"
"$check" play "$work/city.ppm" "$res/BG00.bmp" "$res/SPR.bmp" >"$work/city-play.facts" 2>&1
note "the city ($(since_play) s of play): $(cat "$work/city.facts"); shield $(fact city-play shield) of 20"
if [ -n "$shots_dir" ]; then
    # For the README: the edge about halfway down, the city above it and the cloud sea below.
    for _ in $(seq 40); do
        [ "$(fact city city | awk '{ print ($1 >= 0.5) }')" = 1 ] && break
        sleep 0.25
        shot city
        "$check" city "$work/city.ppm" "$res/BG00.bmp" >"$work/city.facts" 2>&1
    done
    is_picture city END.bmp && fail "the craft was lost before the city screenshot"
    save city
fi
stop_pilot

# Escape returns to the title, Escape on the title ends the program with 0.
xdotool key Escape
back=""
for _ in $(seq 20); do
    sleep 0.25
    shot back
    if is_picture back TITLE.bmp; then
        back=yes
        break
    fi
done
[ -n "$back" ] || fail "Escape during play did not return to the title"
kill -0 "$game_pid" 2>/dev/null || fail "Escape during play ended the program"
xdotool key Escape
wait_for_exit "$game_pid" 10 || fail "Escape on the title did not end the program"
wait "$game_pid"
code=$?
game_pid=""
[ "$code" -eq 0 ] || fail "the program ended with code $code"
note "Escape, Escape: the program ended with 0"

# Nothing alarming on stderr: no sanitizer report, no crash, no failed assertion.
if grep -E -i "sanitizer|runtime error|segmentation|assert|terminate called|double free|core dumped|abort" \
    "$work/game.err" "$work/game.out" >"$work/alarm" 2>/dev/null; then
    fail "the program reported: $(head -n 5 "$work/alarm")"
fi

# The sound: music and effects went to the disk driver's file; after all that play it is not silent.
if [ -s "$work/sound.f32" ]; then
    "$check" sound "$work/sound.f32" >"$work/sound.facts" 2>&1 || fail "the sound is silent: $(cat "$work/sound.facts")"
    note "sound: $(cat "$work/sound.facts")"
elif grep -q "no sound" "$work/game.err"; then
    note "sound not checked: SDL has no disk audio driver here ($(grep -m1 "no sound" "$work/game.err"))"
else
    fail "no sound was written"
fi

note "passed"
