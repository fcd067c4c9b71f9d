#!/usr/bin/env bash
# Installs the Debian packages that building, testing and running Lexorra need,
# when any of them is missing. Safe to run again: it does nothing then.
#
#   scripts/setup.sh [EXTRA_PACKAGE...]   also installs the packages named, for
#                                         steps that need more (scripts/fuzz.sh)
set -euo pipefail

packages=(
    cmake ninja-build g++ pkg-config libxcb1-dev zlib1g-dev
    qt6-base-dev qt6-svg-dev libqt6svg6 libgl-dev qt6-qpa-plugins
    fonts-comic-neue fonts-dejavu-core fonts-dejavu-extra
    at-spi2-core
    # checks of the installed files, and the Debian package
    desktop-file-utils appstream groff-base dpkg-dev
    # the real-window tests, on X11 and on Wayland
    xvfb openbox x11-utils xdotool dbus-daemon python3-pyatspi weston qt6-wayland
    # whatever the caller needs besides
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

# DEBIAN_FRONTEND is passed through env, since sudo drops it from the
# environment; without it debconf may stop to ask a question.
if [ "$(id -u)" -eq 0 ]; then
    apt_get=(env DEBIAN_FRONTEND=noninteractive apt-get)
else
    apt_get=(sudo env DEBIAN_FRONTEND=noninteractive apt-get)
fi

echo "Installing: ${missing[*]}"
"${apt_get[@]}" update -qq
"${apt_get[@]}" install -y -qq --no-install-recommends "${missing[@]}"
