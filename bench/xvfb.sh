#!/usr/bin/env bash
# The real program measured from outside on a private X server (640x480, no GPU), with the sound
# going to SDL's disk driver (written to /dev/null at the pace of a real device):
# - from exec to its first frame on the screen (bench_first_frame, several starts);
# - 30 s on the title and 30 s in play (Space pressed with xdotool): CPU share of one core of the
#   whole process and of its main thread (from /proc), and the interval between frames (mean,
#   standard deviation, worst), from the moment each SDL_RenderPresent call returns (the
#   bench_present_clock library, preloaded: nothing in the program itself prints timings);
# - beside the minimal SDL program (bench_minimal_sdl), measured the same way in the same run.
# Prints one "<figure>: <value>" line per figure, as the benchmark binaries do; without Xvfb or
# xdotool it prints "not measured: no Xvfb" lines instead.
#
#   xvfb.sh <build dir>
set -u

build=$(cd "$1" && pwd)
game=$build/tesselor
SPAN_S=${BENCH_SPAN_S:-30}  # seconds of each measured span
SETTLE_S=3                  # seconds left alone before a span starts
STARTS=5                    # starts timed for exec to first frame

not_measured() {
    for figure in "exec to first frame, Xvfb" "title" "play" "minimal SDL program"; do
        echo "$figure: not measured: $1"
    done
    exit 0
}
for tool in Xvfb xdotool; do
    command -v "$tool" >/dev/null 2>&1 || not_measured "no Xvfb"
done
for f in "$game" "$build/bench/bench_first_frame" "$build/bench/bench_minimal_sdl" \
    "$build/bench/libbench_present_clock.so"; do
    [ -x "$f" ] || [ -f "$f" ] || not_measured "$(basename "$f") is not built"
done

work=$(mktemp -d /tmp/tesselor-bench-XXXXXX)
xvfb_pid=""
measured_pid=""
cleanup() {
    if [ -n "$measured_pid" ] && kill -0 "$measured_pid" 2>/dev/null; then kill "$measured_pid"; fi
    if [ -n "$xvfb_pid" ] && kill -0 "$xvfb_pid" 2>/dev/null; then kill "$xvfb_pid"; fi
    rm -rf "$work"
}
trap cleanup EXIT

# The game's own size: the frame goes to the screen unscaled. The screen is black until a program
# draws on it.
fail() { not_measured "$*"; }
# shellcheck source=tests/e2e/xvfb.sh
. "$(dirname "$0")/../tests/e2e/xvfb.sh"
start_private_xvfb 640x480
export SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=/dev/null

# ---- Exec to first frame ----
mkdir "$work/run"
cd "$work/run" || exit 1
: >"$work/starts"
for _ in $(seq "$STARTS"); do
    "$build/bench/bench_first_frame" 10 "$game" >>"$work/starts" 2>>"$work/first_frame.log"
    sleep 0.5
done
if grep -q none "$work/starts" || [ "$(grep -c . "$work/starts")" -ne "$STARTS" ]; then
    echo "exec to first frame, Xvfb: not measured: $(tail -n1 "$work/first_frame.log" 2>/dev/null)"
else
    sort -n "$work/starts" | awk -v n="$STARTS" '{ v[NR] = $1 }
        END { printf "exec to first frame, Xvfb: %.0f ms median (min %.0f, max %.0f, %d starts)\n", v[int((n + 1) / 2)], v[1], v[n], n }'
fi

# ---- Spans of a running program ----
uptime_s() { cut -d' ' -f1 /proc/uptime; }
# CPU seconds of a /proc stat file (user + system).
cpu_s() { awk -v tck="$(getconf CLK_TCK)" '{ sub(/^.*\) /, ""); print ($12 + $13) / tck }' "$1" 2>/dev/null; }

# span <name> <pid> <presents file>: measures the next SPAN_S seconds of the running program.
span() {
    local name=$1 pid=$2 presents=$3
    local t0 t1 all0 all1 main0 main1
    t0=$(uptime_s) all0=$(cpu_s "/proc/$pid/stat") main0=$(cpu_s "/proc/$pid/task/$pid/stat")
    sleep "$SPAN_S"
    t1=$(uptime_s) all1=$(cpu_s "/proc/$pid/stat") main1=$(cpu_s "/proc/$pid/task/$pid/stat")
    if [ -z "$all1" ]; then
        echo "$name: not measured: the program ended"
        return
    fi
    awk -v n="$name" -v t="$(awk -v a="$t0" -v b="$t1" 'BEGIN { print b - a }')" \
        -v a="$(awk -v a="$all0" -v b="$all1" 'BEGIN { print b - a }')" \
        -v m="$(awk -v a="$main0" -v b="$main1" 'BEGIN { print b - a }')" \
        'BEGIN { printf "%s, CPU: whole process %.1f %% of a core, main thread %.1f %%\n", n, 100 * a / t, 100 * m / t }'
    # The frames presented within the span (the library writes a batch about every half second).
    sleep 1.5
    awk -v n="$name" -v from="$t0" -v to="$t1" '
        { t = $1 / 1e9; if (t < from || t > to) next
          if (have) { d = (t - last) * 1000; k++; sum += d; sq += d * d; if (d > worst) worst = d }
          last = t; have = 1 }
        END { if (k < 2) { printf "%s, frame interval: not measured: no frames\n", n; exit }
              mean = sum / k; sd = sqrt(sq / k - mean * mean)
              printf "%s, frame interval: mean %.3f ms, SD %.3f ms, worst %.1f ms (%d frames)\n", n, mean, sd, worst, k + 1 }' \
        "$presents"
}

# start <presents file> <program>: starts it with the present clock and waits for its first frame.
start() {
    local presents=$1
    shift
    PRESENT_CLOCK_FILE=$presents LD_PRELOAD="$build/bench/libbench_present_clock.so" "$@" \
        >>"$work/program.out" 2>>"$work/program.err" &
    measured_pid=$!
    for _ in $(seq 100); do
        [ -s "$presents" ] && return 0
        sleep 0.1
    done
    return 1
}

stop() {
    kill "$measured_pid" 2>/dev/null
    wait "$measured_pid" 2>/dev/null
    measured_pid=""
}

# Space, pressed again while the screen still shows the very picture it showed before (the title).
press_space_to_play() {
    local wid
    wid=$(xdotool search --onlyvisible --name '^Tesselor$' 2>/dev/null | tail -n1)
    [ -n "$wid" ] && timeout 5 xdotool windowfocus --sync "$wid" 2>/dev/null
    import -window root "$work/title.ppm" 2>/dev/null || return 0  # no way to look: trust the key
    for _ in 1 2 3; do
        xdotool keydown space sleep 0.05 keyup space
        sleep 0.5
        import -window root "$work/after.ppm" 2>/dev/null
        cmp -s "$work/title.ppm" "$work/after.ppm" || return 0
    done
    return 1
}

if start "$work/game.presents" "$game"; then
    sleep "$SETTLE_S"
    span "title" "$measured_pid" "$work/game.presents"
    if press_space_to_play; then
        sleep "$SETTLE_S"
        span "play" "$measured_pid" "$work/game.presents"
    else
        echo "play: not measured: Space did not start a game"
    fi
    awk '/^VmHWM:/ { printf "real program under Xvfb, peak resident: %.0f MiB\n", $2 / 1024 }' \
        "/proc/$measured_pid/status" 2>/dev/null
    stop
else
    echo "title: not measured: the program showed no frame"
    echo "play: not measured: the program showed no frame"
    stop
fi

if start "$work/minimal.presents" "$build/bench/bench_minimal_sdl"; then
    sleep "$SETTLE_S"
    span "minimal SDL program" "$measured_pid" "$work/minimal.presents"
else
    echo "minimal SDL program: not measured: it showed no frame"
fi
stop
