#!/usr/bin/env bash
# Runs one command on a Wayland compositor of its own:
#
#   run_on_wayland.sh [--size WIDTHxHEIGHT] -- COMMAND [ARG...]
#
# Starts a headless Weston on a socket of its own, waits until the socket is
# there, runs COMMAND with WAYLAND_DISPLAY set, QT_QPA_PLATFORM=wayland and no
# X display, and stops Weston again. Exits with COMMAND's status, or 77 (which
# the tests' CTest registration maps to "skipped") when weston is not
# installed. (Whether Qt's Wayland plugin is, the test itself finds out.)
set -u

readonly skip_status=77
size=1280x1024
while [ $# -gt 0 ]; do
    case "$1" in
    --size) size=$2; shift 2 ;;
    --) shift; break ;;
    *) break ;;
    esac
done
if [ $# -eq 0 ]; then
    echo "usage: $0 [--size WIDTHxHEIGHT] -- COMMAND [ARG...]" >&2
    exit 2
fi

if ! command -v weston >/dev/null 2>&1; then
    echo "SKIPPED: 'weston' is not installed; scripts/setup.sh installs what the Wayland tests need."
    exit "$skip_status"
fi

# Weston 10 names its backends by their module, later ones by a short name.
weston_major=$(weston --version 2>/dev/null | sed -n 's/^weston \([0-9]*\).*/\1/p')
if [ "${weston_major:-0}" -ge 12 ]; then
    backend=headless
else
    backend=headless-backend.so
fi

work=$(mktemp -d)
export XDG_RUNTIME_DIR="$work/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"
socket="lexorra-$$"

# Without a configuration file, and never idle: an idle output stops drawing,
# and a client waiting for its next frame would wait for ever.
weston --backend="$backend" --socket="$socket" --width="${size%x*}" --height="${size#*x}" \
    --idle-time=0 --no-config >"$work/weston.log" 2>&1 &
weston_pid=$!
trap 'kill "$weston_pid" 2>/dev/null; wait "$weston_pid" 2>/dev/null; rm -rf "$work"' EXIT
trap 'exit 143' TERM INT

# Ready once its socket is there; polled every 20 ms for up to 10 s.
for _ in $(seq 500); do
    if [ -S "$XDG_RUNTIME_DIR/$socket" ] || ! kill -0 "$weston_pid" 2>/dev/null; then
        break
    fi
    sleep 0.02
done
if [ ! -S "$XDG_RUNTIME_DIR/$socket" ]; then
    echo "weston did not start:" >&2
    cat "$work/weston.log" >&2
    exit 1
fi

export WAYLAND_DISPLAY="$socket"
export QT_QPA_PLATFORM=wayland
unset DISPLAY
# A headless Weston has no seat, no keyboard: Qt's Wayland input method then
# fails on key events that a test gives a line edit. A user's compositor has one.
export QT_IM_MODULE=none
# No session bus at all: without an address, the D-Bus library would try to
# launch one, which can hang and outlives the run.
export DBUS_SESSION_BUS_ADDRESS="unix:path=$work/no-session-bus"
"$@"
