#!/usr/bin/env bash
# Builds the libFuzzer targets of fuzz/ with clang and runs each one on the
# seed corpus (fuzz/corpus/ and the sample dictionary; fuzz/corpus/import/
# alone for the importer's target) for a while. Fails on the first crash,
# leaving the input that caused it in build/fuzz/artifacts/.
#
#   scripts/fuzz.sh [SECONDS_PER_TARGET]    default 30
#
# LEXORRA_NO_SETUP=1 skips installing (see scripts/setup.sh).
set -euo pipefail
cd "$(dirname "$0")/.."

seconds="${1:-30}"
scripts/setup.sh build fuzz

cmake --preset fuzz
cmake --build --preset fuzz

# New inputs go to a scratch corpus; the seeds in the repository stay as they are.
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
# Absolute paths: the lookup target works in a directory of its own.
top="$PWD"
mkdir -p build/fuzz/artifacts
for target in fuzz_letter_text fuzz_lookup fuzz_import; do
    seeds=("$top/fuzz/corpus" "$top/examples")
    [[ $target == fuzz_import ]] && seeds=("$top/fuzz/corpus/import")
    mkdir -p "$work/$target"
    echo "== $target for ${seconds}s"
    build/fuzz/fuzz/"$target" -max_total_time="$seconds" -print_final_stats=1 \
        -artifact_prefix="$top/build/fuzz/artifacts/$target-" "$work/$target" "${seeds[@]}"
done
