#!/usr/bin/env bash
# Installs the Debian packages that the named steps need, when any of them is
# missing: as root through apt-get, else through sudo apt-get. Does nothing,
# and asks for no password, when all are there.
#
#   scripts/setup.sh STEP... [-- PACKAGE...]
#
#   build     compiler, CMake, Ninja, Qt, zlib: configuring and building
#   run       what the program needs to open its window
#   test      run, plus what the whole test suite uses (X server, window
#             manager, validators, a real UTF-8 locale's sources)
#   package   what making the Debian package uses
#   fuzz      clang, with the sanitizer runtime of the same version
#   bench     what bench/bench_window.sh uses, and its driver's libraries
#             (before configuring)
#   PACKAGE   any other package, after --
#
# LEXORRA_NO_SETUP=1 in the environment skips it all, for a machine that is
# not Debian or where you may not install: install the same things by hand.
set -euo pipefail

if [ "${LEXORRA_NO_SETUP:-0}" = 1 ]; then
    exit 0
fi

# Each step's packages; a step that needs another's names it too.
declare -A step_packages=(
    [build]="cmake ninja-build g++ pkg-config zlib1g-dev qt6-base-dev qt6-svg-dev libgl-dev libxcb1-dev"
    [run]="qt6-qpa-plugins libqt6svg6 fonts-comic-neue fonts-dejavu-core fonts-dejavu-extra"
    [test]="xvfb openbox x11-utils xdotool dbus-daemon at-spi2-core python3-pyatspi weston qt6-wayland
            desktop-file-utils appstream groff-base locales"
    [package]="dpkg-dev file"
    [fuzz]="clang"
    [bench]="xvfb openbox x11-utils python3 libxtst-dev libxdamage-dev"
)
declare -A step_needs=([test]=run [bench]=run)

packages=()
while [ $# -gt 0 ]; do
    case "$1" in
    --) shift; packages+=("$@"); break ;;
    *)
        if [ -z "${step_packages[$1]+set}" ]; then
            echo "scripts/setup.sh: unknown step '$1' (steps: ${!step_packages[*]})" >&2
            exit 2
        fi
        # shellcheck disable=SC2206 # the lists are words
        packages+=(${step_packages[$1]} ${step_needs[$1]:+${step_packages[${step_needs[$1]}]}})
        ;;
    esac
    shift
done

# Those of the packages named that are not installed, one a line.
missing_from() {
    [ $# -gt 0 ] || return 0
    declare -A installed=()
    local status pkg
    while read -r status pkg; do
        [ "$status" = ii ] && installed[$pkg]=1
    done < <(dpkg-query -W -f='${db:Status-Abbrev} ${Package}\n' "$@" 2>/dev/null || true)
    for pkg in "$@"; do
        [ -n "${installed[$pkg]+set}" ] || echo "$pkg"
    done
}

install() {
    [ $# -gt 0 ] || return 0
    if ! command -v apt-get >/dev/null || ! command -v dpkg-query >/dev/null; then
        echo "scripts/setup.sh: missing: $*. This is not Debian: install their equivalents, then run again" \
            "with LEXORRA_NO_SETUP=1." >&2
        exit 1
    fi
    local apt_get
    # DEBIAN_FRONTEND goes through env, since sudo drops it from the
    # environment; without it debconf may stop to ask a question. Another
    # apt-get holding the lock is waited for, not taken for a failure.
    if [ "$(id -u)" -eq 0 ]; then
        apt_get=(env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600)
    elif command -v sudo >/dev/null; then
        apt_get=(sudo env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600)
    else
        echo "scripts/setup.sh: missing: $*. Install them as root (apt-get install $*)," \
            "or run again with LEXORRA_NO_SETUP=1 once they are there." >&2
        exit 1
    fi
    echo "Installing: $*"
    "${apt_get[@]}" update -qq
    "${apt_get[@]}" install -y -qq --no-install-recommends "$@"
}

mapfile -t missing < <(missing_from "${packages[@]}")
install "${missing[@]}"

# The fuzz targets link clang's sanitizer runtime, which comes with each
# clang version apart: the one of the clang++ that the fuzz preset runs.
if [[ " ${packages[*]} " == *" clang "* ]]; then
    version=$(clang++ -dumpversion)
    mapfile -t missing < <(missing_from "libclang-rt-${version%%.*}-dev")
    install "${missing[@]}"
fi
