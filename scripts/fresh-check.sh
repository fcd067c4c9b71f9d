#!/usr/bin/env bash
# Follows the README on fresh minimal Debian systems, as a new user would:
#
#   scripts/fresh-check.sh RELEASE [AS]
#
# RELEASE: bookworm (Debian 12) or trixie (Debian 13). AS: who runs the
# README's commands and makes the package, root or user (a user with sudo
# rights); the other one runs the test suite and installs the package. By
# default Debian 12 takes the user and Debian 13 root, so that between them
# both go through every step.
#
# Makes a minimal root with debootstrap (nothing but the base system, no
# locale set) and copies a clean clone of this repository's HEAD into it.
# There, as root and as a user with sudo rights, it runs the README's two
# commands (scripts/run.sh, watching for the main window on a short-lived X
# server, then closing it; scripts/test.sh, the whole suite), installs into
# ~/.local after scripts/run.sh, and builds the package with
# scripts/package.sh. The package is then installed in a second fresh root
# and started from its menu entry. Each step prints one line with its time;
# a failing one also the end of its log, and the roots stay for a look.
#
# Needs root (debootstrap, chroot, mounts) and the Debian archive
# (LEXORRA_DEBIAN_MIRROR, default http://deb.debian.org/debian). Exits 0 when
# every step passed, 77 when the archive cannot be reached (nothing checked),
# 1 when a step failed. LEXORRA_FRESH_CACHE=DIR keeps the downloaded packages
# in DIR for the next run, which then downloads only what changed; the roots
# are made afresh all the same.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)

release=${1:-}
as=${2:-}
case "$release/$as" in
bookworm/ | trixie/ | bookworm/root | trixie/root | bookworm/user | trixie/user) ;;
*)
    echo "usage: $0 bookworm|trixie [root|user]" >&2
    exit 2
    ;;
esac
if [ "$(id -u)" -ne 0 ]; then
    echo "fresh-check: needs root, for debootstrap, chroot and mounts" >&2
    exit 2
fi
mirror=${LEXORRA_DEBIAN_MIRROR:-http://deb.debian.org/debian}
tag="fresh-check $release"

# The two ways of working the README allows: the README's commands as one,
# the test suite as the other.
user=builder
[ -n "$as" ] || { [ "$release" = bookworm ] && as=user || as=root; }
if [ "$as" = user ]; then
    first=$user second=root
else
    first=root second=$user
fi

"$top/scripts/setup.sh" -- debootstrap xvfb xdotool x11-utils
if ! wget -q -T 20 -t 2 -O /dev/null "$mirror/dists/$release/Release"; then
    echo "$tag: the Debian archive ($mirror) cannot be reached: skipped"
    exit 77
fi

work=$(mktemp -d /var/tmp/lexorra-fresh-check.XXXXXX)
cache=${LEXORRA_FRESH_CACHE:-$work/cache}
mkdir -p "$cache/debootstrap-$release" "$cache/apt-$release/partial" "$work/logs"
roots=()
xvfb_pid=

# Ends what still runs in a root and unmounts what it has mounted. Fails
# when something stays mounted: the root must then not be removed, since a
# removal would go through a bound /dev into this machine's own.
release_root() {
    local root=$1 proc tries mount
    for tries in $(seq 50); do
        local left=0
        for proc in /proc/[0-9]*; do
            if [ "$(readlink "$proc/root" 2>/dev/null)" = "$root" ]; then
                kill -9 "${proc#/proc/}" 2>/dev/null && left=1
            fi
        done
        [ "$left" -eq 1 ] || break
        sleep 0.1
    done
    for mount in var/cache/apt/archives proc sys dev; do
        mountpoint -q "$root/$mount" || continue
        umount -R "$root/$mount" 2>/dev/null || umount -R --lazy "$root/$mount"
    done
    ! grep -q " $root/" /proc/self/mounts
}

finish() {
    local status=$?
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
    local root released=1
    for root in "${roots[@]}"; do
        release_root "$root" || released=0
    done
    if [ "$released" -eq 0 ]; then
        echo "$tag: something stays mounted under $work; it is left as it is"
    elif [ "$status" -eq 0 ]; then
        rm -rf --one-file-system "$work"
    else
        echo "$tag: the roots and logs stay in $work"
    fi
}
trap finish EXIT
trap 'exit 143' TERM INT

# One step: its name, then the command; one line with the time it took. The
# command runs in a subshell of its own, where a failing command ends it
# (which in an "if" it would not).
number=0
step() {
    local name=$1
    shift
    number=$((number + 1))
    local log
    log=$work/logs/$(printf '%02d' "$number")-${name//[^a-zA-Z0-9.~-]/_}.log
    local start=$SECONDS
    (
        set -e
        "$@"
    ) >"$log" 2>&1 &
    if wait $!; then
        printf '%s: %-52s %5d s\n' "$tag" "$name" $((SECONDS - start))
    else
        printf '%s: %-52s %5d s  FAILED\n' "$tag" "$name" $((SECONDS - start))
        tail -n 60 "$log" | sed 's/^/    /'
        exit 1
    fi
}

# A minimal system, kept as it is to copy each root from: one made by
# debootstrap and copied is as fresh as two made.
make_base() {
    debootstrap --variant=minbase --cache-dir="$cache/debootstrap-$release" "$release" "$base" "$mirror"
    # As an installed system has it, so that sudo finds its own host.
    echo "127.0.1.1 $(hostname)" >>"$base/etc/hosts"
    # dpkg without a sync after every file: these roots are thrown away.
    echo force-unsafe-io >"$base/etc/dpkg/dpkg.cfg.d/lexorra-fresh-check"
}

# A root copied from the base, with what a chroot needs mounted, downloads
# shared.
make_root() {
    local root=$1
    cp -a "$base" "$root"
    mount -t proc proc "$root/proc"
    mount -t sysfs sysfs "$root/sys"
    mount --rbind /dev "$root/dev"
    mount --make-rslave "$root/dev"
    mount --bind "$cache/apt-$release" "$root/var/cache/apt/archives"
}

# Runs a command line in ROOT as USER (root or builder), in a login-like
# environment without any locale, in the clone's top folder.
in_root() {
    local root=$1 as=$2
    shift 2
    local home=/root
    [ "$as" = root ] || home=/home/$as
    chroot "$root" /usr/sbin/runuser -u "$as" -- /usr/bin/env -i HOME="$home" USER="$as" LOGNAME="$as" \
        PATH=/usr/local/bin:/usr/bin:/bin:/usr/local/sbin:/usr/sbin:/sbin TERM=dumb \
        ${DISPLAY:+DISPLAY=$DISPLAY} LEXORRA_WARNINGS_AS_ERRORS="${LEXORRA_WARNINGS_AS_ERRORS:-}" \
        /bin/bash -c "cd ~/lexorra 2>/dev/null || cd ~; $*"
}

# A user with sudo rights, as the README asks for.
add_user() {
    local root=$1
    chroot "$root" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends sudo
    chroot "$root" useradd --create-home --shell /bin/bash --groups sudo "$user"
    echo "$user ALL=(ALL) NOPASSWD: ALL" >"$root/etc/sudoers.d/$user"
    chmod 440 "$root/etc/sudoers.d/$user"
}

# That user, and a clean clone of HEAD for it and for root.
add_user_and_clone() {
    local root=$1
    add_user "$root"
    local as
    for as in root "$user"; do
        local home=$root/root
        [ "$as" = root ] || home=$root/home/$as
        git clone --quiet --no-hardlinks "$top" "$home/lexorra"
        chroot "$root" chown -R "$as:" "${home#"$root"}/lexorra"
    done
}

# An X server on this machine for the programs in the roots: they reach it
# through its abstract socket, which a chroot shares.
start_x() {
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" >"$work/xvfb.log" 2>&1 &
    xvfb_pid=$!
    local tries=600
    until [ -s "$work/display" ]; do
        tries=$((tries - 1))
        [ "$tries" -gt 0 ] && kill -0 "$xvfb_pid" || return 1
        sleep 0.1
    done
    DISPLAY=":$(head -n 1 "$work/display")"
    export DISPLAY
    echo "X server $DISPLAY"
}

# Runs COMMAND in the background in ROOT as USER, waits until a window of
# the program shows on the X server, presses Escape in it (which ends the
# program) and waits for COMMAND to end with status 0. The wait for the
# window also covers whatever COMMAND installs and builds first.
window_shows() {
    local root=$1 as=$2 command=$3
    in_root "$root" "$as" "$command" &
    local pid=$! window='' tries=36000
    until window=$(xdotool search --onlyvisible --classname '^lexorra$' 2>/dev/null | head -n 1) && [ -n "$window" ]; do
        if ! kill -0 "$pid" 2>/dev/null; then
            wait "$pid" || true
            echo "ended before its window showed"
            return 1
        fi
        tries=$((tries - 1))
        [ "$tries" -gt 0 ] || { echo "no window after an hour"; return 1; }
        sleep 0.1
    done
    echo "window $window shows: $(xwininfo -id "$window" | grep -E 'Width|Height' | tr -s ' ' | tr '\n' ' ')"
    # With no window manager, keyboard focus is given by hand.
    timeout 60 xdotool windowfocus --sync "$window" key Escape
    tries=600
    while kill -0 "$pid" 2>/dev/null; do
        tries=$((tries - 1))
        [ "$tries" -gt 0 ] || { echo "still running a minute after Escape"; return 1; }
        sleep 0.1
    done
    local status=0
    wait "$pid" || status=$?
    echo "ended with status $status after Escape"
    return "$status"
}

# After scripts/run.sh, the README's install without a package.
# shellcheck disable=SC2016 # expanded in the root
local_install() {
    local root=$1 as=$2
    in_root "$root" "$as" 'cmake --install build/package --prefix ~/.local &&
        ~/.local/bin/lexorra --version && ~/.local/bin/lexorra-import --version &&
        grep -qx "Path=$HOME/.local/share/lexorra" ~/.local/share/applications/org.lexorra.Lexorra.desktop &&
        test -f ~/.local/share/lexorra/a.txt'
}

# The menu entry's command, in its folder, as a desktop starts it.
# shellcheck disable=SC2016 # expanded in the root
MENU_ENTRY='entry=/usr/share/applications/org.lexorra.Lexorra.desktop;
    cd "$(sed -n "s/^Path=//p" "$entry")" && exec $(sed -n "s/^Exec=//p" "$entry" | sed "s/ %[a-zA-Z]//g")'

start_x >"$work/logs/00-x-server.log" 2>&1 || {
    echo "$tag: no X server:"
    cat "$work/logs/00-x-server.log"
    exit 1
}
base=$work/base
build=$work/build-root
roots+=("$build")
step "make a minimal system (debootstrap)" make_base
step "copy it into a root" make_root "$build"
step "add a user with sudo rights, clone" add_user_and_clone "$build"
step "scripts/run.sh as $first: the window shows" window_shows "$build" "$first" scripts/run.sh
step "cmake --install --prefix ~/.local as $first" local_install "$build" "$first"
step "scripts/test.sh as $second" in_root "$build" "$second" scripts/test.sh
step "scripts/package.sh as $first" in_root "$build" "$first" scripts/package.sh

home=$build/root
[ "$first" = root ] || home=$build/home/$first
debs=("$home"/lexorra/lexorra_*.deb)
install=$work/install-root
roots+=("$install")
step "copy the minimal system into a second root" make_root "$install"
cp "${debs[0]}" "$install/tmp/"
if [ "$second" = root ]; then
    step "apt install ./lexorra_*.deb as root" in_root "$install" root 'cd /tmp && apt install -y ./lexorra_*.deb'
else
    step "add a user with sudo rights" add_user "$install"
    step "sudo apt install ./lexorra_*.deb as $second" in_root "$install" "$second" \
        'cd /tmp && sudo apt install -y ./lexorra_*.deb'
fi
step "lexorra from its menu entry: the window shows" window_shows "$install" "$second" "$MENU_ENTRY"
echo "$tag: all steps passed"
