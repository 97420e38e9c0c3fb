#!/usr/bin/env bash
# The last thing `make bench` prints: each figure the benchmarks and bench/xvfb.sh wrote (their
# "<figure>: <value>" lines, collected in one file), beside its goal, met or missed. Figures without
# a goal follow for reference.
#
#   table.sh <collected output>
set -u

awk '
function num(s) { match(s, /[0-9]+(\.[0-9]+)?/); return substr(s, RSTART, RLENGTH) + 0 }
function after(s, word) { i = index(s, word); return i ? num(substr(s, i + length(word))) : -1 }
function row(figure, goal, value, verdict) { printf "| %-58s | %-34s | %-34s | %-7s |\n", figure, goal, value, verdict }
function verdict(ok) { return ok ? "met" : "MISSED" }
function value_of(line) { sub(/^[^:]*: /, "", line); return line }
{
    gsub(/\033\[[0-9;]*m/, "")  # colour codes of the console output
    key = $0; sub(/:.*/, "", key)
    # The figure lines of the benchmark binaries and of xvfb.sh; everything else is Google Benchmark.
    if (key ~ /^(game|whole program|dearest frame|dearest frame after the first|start-up in process, headless|memory of a full stage, headless|memory growth over 100 games|exec to first frame, Xvfb|title|play|minimal SDL program|title, CPU|play, CPU|minimal SDL program, CPU|title, frame interval|play, frame interval|minimal SDL program, frame interval|real program under Xvfb, peak resident|lost display, ASan)$/ || key ~ /^keyed blits/ || key ~ /^present conversion/) {
        fig[key] = value_of($0); order[++n] = key
    }
}
function measured(key) { return (key in fig) && fig[key] !~ /^not measured/ }
# Why a figure is missing: its own line, or the line of its span ("title: not measured: no Xvfb").
function missing(key) {
    if (key in fig) return fig[key]
    base = key; sub(/,.*/, "", base)
    return (base in fig) ? fig[base] : "not measured: no figure"
}
function interval_ok(s) { m = after(s, "mean "); sd = after(s, "SD "); return m >= 16.617 && m <= 16.717 && sd <= 0.5 }
function short_interval(s) { return sprintf("mean %.3f, SD %.3f ms", after(s, "mean "), after(s, "SD ")) }
END {
    print ""
    print "Goals"
    row("figure", "goal", "measured", "")
    row("whole program (game + present conversion + song)", ">= 25x real time",
        measured("whole program") ? fig["whole program"] : missing("whole program"),
        measured("whole program") ? verdict(num(fig["whole program"]) >= 25) : "-")
    row("game (logic + drawing + present conversion, craft alive)", ">= 300x real time",
        measured("game") ? fig["game"] : missing("game"), measured("game") ? verdict(num(fig["game"]) >= 300) : "-")
    row("dearest frame of the stage", "<= 0.1 ms",
        measured("dearest frame") ? fig["dearest frame"] : missing("dearest frame"),
        measured("dearest frame") ? verdict(num(fig["dearest frame"]) <= 0.1) : "-")
    if (measured("title, CPU") && measured("minimal SDL program, CPU")) {
        game = after(fig["title, CPU"], "main thread "); minimal = after(fig["minimal SDL program, CPU"], "main thread ")
        ratio = minimal > 0 ? game / minimal : 1e9
        row("main thread on the title, against the minimal SDL program", "<= 1.2x",
            sprintf("%.2fx (%.1f %% against %.1f %%)", ratio, game, minimal), verdict(ratio <= 1.2))
    } else {
        row("main thread on the title, against the minimal SDL program", "<= 1.2x", missing("title, CPU"), "-")
    }
    split("title play", spans, " ")
    for (s = 1; s <= 2; ++s) {
        k = spans[s] ", frame interval"
        row("frame interval under Xvfb, " spans[s], "mean 16.667 +- 0.05, SD <= 0.5 ms",
            measured(k) ? short_interval(fig[k]) : missing(k), measured(k) ? verdict(interval_ok(fig[k])) : "-")
    }
    k = "exec to first frame, Xvfb"
    row("exec to first frame, no GPU (Xvfb, median)", "<= 250 ms", measured(k) ? num(fig[k]) " ms" : missing(k),
        measured(k) ? verdict(num(fig[k]) <= 250) : "-")
    k = "lost display, ASan"
    row("leak-free exit on a lost display (ASan)", "0 reports", measured(k) ? fig[k] : missing(k),
        measured(k) ? verdict(num(fig[k]) == 0 && after(fig[k], "(") == 0) : "-")
    print ""
    print "For reference"
    for (i = 1; i <= n; ++i) printf "  %s: %s\n", order[i], fig[order[i]]
}' "$1"
