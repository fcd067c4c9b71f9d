# Sourced by bench/bench_window.sh and bench/bench_soak.sh: finds the program
# and the probe, makes the dictionary they look up in, and starts an X server
# (Xvfb) and a window manager (openbox) of their own.
#
# Sets: build, program, probe, work (a scratch folder removed at exit),
# dictionary (the folder of letter files), found, missing (the words), and
# DISPLAY. The caller is in the repository's top folder with `set -euo pipefail`.

scripts/setup.sh bench

build="$(realpath "${1:-build/release}")"
# LEXORRA=path times another build of the program with the same probe.
program="$(realpath "${LEXORRA:-$build/main_window/lexorra}")"
probe="$build/bench/window_probe"
importer="$build/importer/lexorra-import"
for tool in "$program" "$probe"; do
    if [[ ! -x "$tool" ]]; then
        echo "$bench_name: $tool is missing; build the targets lexorra, lexorra-import and window_probe first" >&2
        exit 1
    fi
done
for tool in Xvfb openbox xdpyinfo xprop python3; do
    command -v "$tool" > /dev/null || { echo "$bench_name: $tool is not installed" >&2; exit 1; }
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

# Qt wants a private runtime folder.
export XDG_RUNTIME_DIR="$work/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"

dictionary="$work/dictionary"
mkdir -p "$dictionary"
dictd_index=/usr/share/dictd/freedict-deu-eng.index
if [[ -r "$dictd_index" && -x "$importer" ]]; then
    # The real German-English dictionary, as a user imports it. The found word
    # lies near the end of s.txt; nothing in it begins with "sxq".
    "$importer" "$dictd_index" "$dictionary" > "$work/import.log"
    found="süßwassersee"
    missing="sxqzzz"
    # The importer quotes every field.
    if ! grep -q "^\"$found\"," "$dictionary/s.txt" || grep -q '^"sxq' "$dictionary/s.txt"; then
        echo "$bench_name: the imported s.txt does not hold '$found' or holds a word like '$missing'" >&2
        exit 1
    fi
    echo "dictionary: German-English from $dictd_index, imported with lexorra-import"
else
    # Without it, a letter file made up for the run: headwords of German shape
    # starting with "s", in order, each with a translation of a few words up to
    # a few hundred characters, quoted when it holds a comma. The same seed
    # gives the same file every run.
    read -r found missing < <(python3 - "$dictionary/s.txt" << 'EOF'
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
    echo "dictionary: a made-up letter file ($dictd_index is not installed)"
fi
echo "letter file: $(wc -l < "$dictionary/s.txt") records, $(stat -c %s "$dictionary/s.txt") bytes;" \
    "found word '$found', missing word '$missing'"

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
# The window manager announces itself a little before it manages windows;
# window_probe makes sure, with a window of its own, before it times anything.
sleep 0.5
