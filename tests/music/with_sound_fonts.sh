#!/usr/bin/env bash
# Runs a command as though the machine had only the named General MIDI sound fonts, the first of
# them its default (default-GM.sf2), or none at all: in a mount namespace of its own, the sound-font
# directories are covered by empty ones, and the first gets just those fonts. Nothing outside the
# command sees a change.
#
#   with_sound_fonts.sh [FONT.sf2 ...] -- COMMAND [ARG ...]
#
# Exits 77 (skipped), saying why, where a named font is not installed or no mount namespace can be
# made (that needs root and unshare); otherwise with the command's status.
set -u

fonts=()
while [ $# -gt 0 ] && [ "$1" != "--" ]; do
    fonts+=("$1")
    shift
done
[ $# -gt 1 ] || { echo "usage: with_sound_fonts.sh [FONT.sf2 ...] -- COMMAND [ARG ...]" >&2; exit 2; }
shift

# The directories the game looks in (platform/synth.cpp).
dirs=(/usr/share/sounds/sf2 /usr/share/soundfonts)

# The font's file, links followed; empty when it is not installed.
installed() {
    local dir
    for dir in "${dirs[@]}"; do
        if [ -r "$dir/$1" ]; then
            readlink -f "$dir/$1"
            return
        fi
    done
}

# ---- Inside the namespace (the script runs itself again there) ----
if [ -n "${TESSELOR_FONT_STAGE:-}" ]; then
    set -e
    stage=$TESSELOR_FONT_STAGE
    # Each font bound aside before its directory is covered, then linked from the first one.
    for font in "${fonts[@]}"; do
        : >"$stage/$font"
        mount --bind "$(installed "$font")" "$stage/$font"
    done
    for dir in "${dirs[@]}"; do
        if [ -d "$dir" ]; then mount -t tmpfs -o mode=0755 tesselor-fonts "$dir"; fi
    done
    for font in "${fonts[@]}"; do ln -s "$stage/$font" "${dirs[0]}/$font"; done
    if [ ${#fonts[@]} -gt 0 ]; then ln -s "${fonts[0]}" "${dirs[0]}/default-GM.sf2"; fi
    unset TESSELOR_FONT_STAGE
    set +e
    exec "$@"
fi

# ---- Outside ----
skip() {
    echo "skipped: $*"
    exit 77
}
for font in "${fonts[@]}"; do
    [ -n "$(installed "$font")" ] || skip "$font is not installed"
done
[ -d "${dirs[0]}" ] || skip "${dirs[0]} does not exist"
[ "$(id -u)" -eq 0 ] || skip "a mount namespace of our own needs root"
command -v unshare >/dev/null 2>&1 || skip "no unshare here"
unshare --mount --propagation private true 2>/dev/null || skip "no mount namespace can be made here"

stage=$(mktemp -d /tmp/tesselor-fonts-XXXXXX)
trap 'rm -rf "$stage"' EXIT
TESSELOR_FONT_STAGE=$stage unshare --mount --propagation private "$0" "${fonts[@]}" -- "$@"
