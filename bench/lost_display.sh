#!/usr/bin/env bash
# The figure "leak-free exit on a lost display": the ASan build of the program loses its display in
# each of the three ways the end-to-end test knows (the X server dies, the window is destroyed, the
# connection is killed), and every sanitizer report on the way out is counted.
#
#   lost_display.sh <ASan build dir>
set -u
top=$(cd "$(dirname "$0")/.." && pwd)
build=$1
if ! command -v Xvfb >/dev/null 2>&1; then
    echo "lost display, ASan: not measured: no Xvfb"
    exit 0
fi
reports=0
others=0
for how in server close kill; do
    out=$("$top/tests/e2e/lost_display.sh" "$build/tesselor" "$build/tests/e2e/e2e_shot_check" "$top/resources" "$how")
    echo "$out" | head -n 1
    case $out in
        *"passed:"*) ;;
        *"sanitizer report"*) reports=$((reports + 1)) ;;
        *) others=$((others + 1)) ;;
    esac
done
echo "lost display, ASan: $reports reports in 3 runs ($others failed otherwise)"
