#!/usr/bin/env bash
# Installs what is missing, configures, builds and runs the whole test suite.
#
#   scripts/test.sh [PRESET]    PRESET is dev (default), asan or release
#
# LEXORRA_WARNINGS_AS_ERRORS=ON in the environment turns warnings into errors.
set -euo pipefail
cd "$(dirname "$0")/.."

preset="${1:-dev}"
scripts/setup.sh

cmake --preset "$preset" -DLEXORRA_WARNINGS_AS_ERRORS="${LEXORRA_WARNINGS_AS_ERRORS:-OFF}"
cmake --build --preset "$preset"
ctest --preset "$preset"
