#!/usr/bin/env bash
# Installs what is missing, builds Lexorra (the package preset: the programs
# and everything installed with them, no tests) and starts it on the sample
# dictionary in examples/ (the program reads letter files from its working
# directory). Afterwards `cmake --install build/package --prefix ~/.local`
# installs what was built.
#
# LEXORRA_NO_SETUP=1 skips installing (see scripts/setup.sh).
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh build run
cmake --preset package
cmake --build --preset package
cd examples
exec ../build/package/main_window/lexorra
