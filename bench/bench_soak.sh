#!/usr/bin/env bash
# A long session through the real main window: after 10 lookups, LOOKUPS more
# (default 1,000; found and missing words in turn, each through the prompt
# and, for a found word, the box), as fast as the windows follow, under the
# same X server, window manager and dictionary as bench/bench_window.sh.
# Prints the resident memory after the first 10 lookups and every tenth of the
# way, with its growth since then; the whole growth should stay under 1 MiB.
#
#   cmake --preset release && cmake --build --preset release --target lexorra lexorra-import window_probe
#   bench/bench_soak.sh [BUILD_DIR]          (default build/release)
#   LOOKUPS=300 LEXORRA=/other/lexorra bench/bench_soak.sh
set -euo pipefail
cd "$(dirname "$0")/.."
bench_name=bench_soak
source bench/window_session.sh

"$probe" --soak "${LOOKUPS:-1000}" "$found" "$missing" --lexorra lexorra "cd '$dictionary' && exec '$program'"
