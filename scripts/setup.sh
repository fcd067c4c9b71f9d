#!/usr/bin/env bash
# Installs the Debian packages that building, testing and running Lexorra need,
# when any of them is missing. Safe to run again: it does nothing then.
#
#   scripts/setup.sh [EXTRA_PACKAGE...]   also installs the packages named, for
#                                         steps that need more (scripts/fuzz.sh)
set -euo pipefail

packages=(
    cmake ninja-build g++ pkg-config
    qt6-base-dev qt6-svg-dev libqt6svg6 libgl-dev qt6-qpa-plugins
    fonts-comic-neue fonts-dejavu-core fonts-dejavu-extra
    at-spi2-core
    "$@"
)

missing=()
for pkg in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$pkg")
    fi
done

if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

sudo=()
if [ "$(id -u)" -ne 0 ]; then
    sudo=(sudo)
fi

echo "Installing: ${missing[*]}"
"${sudo[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
