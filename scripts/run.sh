#!/usr/bin/env bash
# Installs what is missing, builds Lexorra and starts it on the sample
# dictionary in examples/ (the program reads letter files from its working
# directory).
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh
cmake --preset release
cmake --build --preset release --target lexorra
cd examples
exec ../build/release/main_window/lexorra
