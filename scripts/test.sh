#!/usr/bin/env bash
# Installs what is missing, configures, builds and runs the whole test suite.
#
#   scripts/test.sh [PRESET]    PRESET is dev (default), asan or release
#
# LEXORRA_WARNINGS_AS_ERRORS=ON in the environment turns warnings into errors
# for this run (its configure); the next configure without it turns them off.
# LEXORRA_NO_SETUP=1 skips installing (see scripts/setup.sh).
set -euo pipefail
cd "$(dirname "$0")/.."

preset="${1:-dev}"
scripts/setup.sh build test

cmake --preset "$preset"
cmake --build --preset "$preset"
ctest --preset "$preset"
