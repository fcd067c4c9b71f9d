#!/usr/bin/env bash
# Times lookups through the real main window on a big letter file, as a user
# makes them: under its own X server (Xvfb) and window manager (openbox), with
# input synthesized through XTEST, on a 63,109-record, 8.8 MB s.txt made up
# for the run. Prints medians over ROUNDS rounds (default 15) of
#   - Enter in the prompt to the found word's box drawn,
#   - Enter on the box (OK) to the listing drawn,
#   - Enter in the prompt to a missing word's listing drawn,
#   - the first lookup after start (a fresh start per round),
# and the resident memory after 10 lookups. See bench/window_probe.cpp for
# what "drawn" means. Run by hand, never by the tests:
#
#   cmake --preset release && cmake --build --preset release --target lexorra window_probe
#   bench/bench_window.sh [BUILD_DIR]        (default build/release)
#   LEXORRA=/other/lexorra bench/bench_window.sh
#
# Needs: Xvfb, openbox, x11-utils, python3; window_probe needs libxtst-dev and
# libxdamage-dev at build time. scripts/setup.sh bench installs them all (run
# it before configuring, so that window_probe is built).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh bench

build="$(realpath "${1:-build/release}")"
# LEXORRA=path times another build of the program with the same probe.
program="$(realpath "${LEXORRA:-$build/main_window/lexorra}")"
probe="$build/bench/window_probe"
rounds="${ROUNDS:-15}"
for tool in "$program" "$probe"; do
    if [[ ! -x "$tool" ]]; then
        echo "bench_window: $tool is missing; build the targets lexorra and window_probe first" >&2
        exit 1
    fi
done
for tool in Xvfb openbox xdpyinfo xprop python3; do
    command -v "$tool" > /dev/null || { echo "bench_window: $tool is not installed" >&2; exit 1; }
done

work="$(mktemp -d)"
pids=()
cleanup() {
    for pid in "${pids[@]}"; do
        kill "$pid" 2> /dev/null || true
        wait "$pid" 2> /dev/null || true
    done
    rm -rf "$work"
}
trap cleanup EXIT

# The letter file: headwords of German shape starting with "s", in order, each
# with a translation of a few words up to a few hundred characters, quoted
# when it holds a comma. The same seed gives the same file every run.
read -r found missing < <(python3 - "$work/s.txt" << 'EOF'
import random, sys

random.seed(9)
records = 63109
syllables = ("schl sch str spr st sp sa se si so su sä sö sü ta te ti to tu la le li lo lu "
             "ma me mi mo mu na ne ni no nu ra re ri ro ru ba be bi bo bu ge gi go ke ki ko "
             "ung ein ier ach eit en er el ig lich keit heit").split()
words = ("the of to and a in is it you that he was for on are as with his they at be this have "
         "from or one had by word but not what all were we when your can said there use an each "
         "which she do how their if will up other about out many then them these so some her would "
         "make like him into time has look two more write go see number no way could people my than "
         "first water been call who oil its now find long down day did get come made may part").split()

headwords = set()
while len(headwords) < records:
    word = "s" + "".join(random.choice(syllables) for _ in range(random.randint(1, 4)))
    headwords.add(word)
headwords = sorted(headwords)

def translation():
    roll = random.random()
    length = random.randint(36, 116) if roll < 0.7 else random.randint(116, 280) if roll < 0.95 else random.randint(280, 450)
    parts = []
    while sum(len(p) + 2 for p in parts) < length:
        parts.append(" ".join(random.choice(words) for _ in range(random.randint(1, 4))))
    text = ", ".join(parts)
    return '"' + text + '"' if "," in text else text

with open(sys.argv[1], "w", encoding="utf-8", newline="\n") as out:
    for word in headwords:
        out.write(word + "," + translation() + "\n")

# A word near the end that can be typed as plain letters, and one that is
# missing: no headword shares its first three letters either.
found = next(w for w in reversed(headwords[:-40]) if w.isascii() and w.isalpha())
missing = "szqxv"
assert missing not in headwords and not any(w.startswith("szq") for w in headwords)
print(found, missing)
EOF
)
size=$(stat -c %s "$work/s.txt")
echo "letter file: $(wc -l < "$work/s.txt") records, $size bytes; found word '$found', missing word '$missing'"

# A free display of our own.
display=90
while [[ -e /tmp/.X11-unix/X$display || -e /tmp/.X$display-lock ]]; do
    display=$((display + 1))
done
export DISPLAY=":$display"
Xvfb "$DISPLAY" -screen 0 1280x1024x24 -nolisten tcp > "$work/xvfb.log" 2>&1 &
pids+=($!)
for _ in $(seq 100); do
    xdpyinfo > /dev/null 2>&1 && break
    sleep 0.05
done
openbox > "$work/openbox.log" 2>&1 &
pids=($! "${pids[@]}")
for _ in $(seq 100); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2> /dev/null | grep -q 'window id' && break
    sleep 0.05
done
sleep 0.5 # the window manager announces itself a little before it manages windows

(cd "$work" && "$probe" "$program" "$found" "$missing" "$rounds")

if command -v goldendict > /dev/null; then
    echo "goldendict is installed, but this script does not time it"
else
    echo "goldendict: not installed, no comparison"
fi
