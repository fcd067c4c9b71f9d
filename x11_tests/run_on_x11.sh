#!/usr/bin/env bash
# Runs one command on a real X server with a window manager of its own:
#
#   run_on_x11.sh [--screen WIDTHxHEIGHT] [--dbus] -- COMMAND [ARG...]
#
# Starts Xvfb on a free display (the server picks it), then openbox, waits
# until both are ready, runs COMMAND with DISPLAY set and QT_QPA_PLATFORM=xcb,
# and stops both again. --dbus runs COMMAND in a session bus of its own, where
# the accessibility bus starts on demand. Exits with COMMAND's status, or 77
# (which the tests' CTest registration maps to "skipped") when a tool that the
# run needs is not installed.
set -u

readonly skip_status=77
screen=1280x1024
dbus=0
while [ $# -gt 0 ]; do
    case "$1" in
    --screen) screen=$2; shift 2 ;;
    --dbus) dbus=1; shift ;;
    --) shift; break ;;
    *) break ;;
    esac
done
if [ $# -eq 0 ]; then
    echo "usage: $0 [--screen WIDTHxHEIGHT] [--dbus] -- COMMAND [ARG...]" >&2
    exit 2
fi

needed=(Xvfb openbox xwininfo xdotool)
[ "$dbus" -eq 1 ] && needed+=(dbus-run-session)
for tool in "${needed[@]}"; do
    if ! command -v "$tool" >/dev/null 2>&1; then
        echo "SKIPPED: '$tool' is not installed; scripts/setup.sh installs what the real-window tests need."
        exit "$skip_status"
    fi
done

work=$(mktemp -d)
xvfb_pid=
wm_pid=
stop_session() {
    [ -n "$wm_pid" ] && kill "$wm_pid" 2>/dev/null
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
    wait 2>/dev/null
    wm_pid=
    xvfb_pid=
}

cleanup() {
    stop_session
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 143' TERM INT

# Polls a condition every 50 ms for up to 60 s: long enough only to tell a
# start that failed, even on a machine busy with other work.
wait_until() {
    local tries=1200
    until "$@"; do
        tries=$((tries - 1))
        [ "$tries" -gt 0 ] || return 1
        sleep 0.05
    done
}

# Starts Xvfb and openbox; fails when either does not come up, leaving nothing
# running.
start_session() {
    rm -f "$work/display"
    Xvfb -displayfd 3 -screen 0 "${screen}x24" -nolisten tcp 3>"$work/display" >"$work/xvfb.log" 2>&1 &
    xvfb_pid=$!
    server_announced() { [ -s "$work/display" ] || ! kill -0 "$xvfb_pid" 2>/dev/null; }
    if ! wait_until server_announced || [ ! -s "$work/display" ]; then
        echo "Xvfb did not start:" >&2
        cat "$work/xvfb.log" >&2
        stop_session
        return 1
    fi
    export DISPLAY=":$(head -n 1 "$work/display")"
    # Ours and answering: the root window has the size asked for.
    local size
    size=$(timeout 30 xwininfo -root 2>/dev/null | awk '/Width:/ { w = $2 } /Height:/ { h = $2 } END { print w "x" h }')
    if [ "$size" != "$screen" ]; then
        echo "the X server on $DISPLAY has a ${size:-unknown} screen, not $screen" >&2
        stop_session
        return 1
    fi

    # openbox announces itself on the root window (_NET_SUPPORTING_WM_CHECK)
    # as soon as it has taken the screen over, well before it reads events:
    # what it reads meanwhile, such as a new window's request to be shown,
    # can then wait in its queue, the window unmanaged and unmapped, until
    # some other event comes. Its startup command runs when it is done
    # starting and about to read events; from then on it is ready.
    rm -f "$work/openbox-running"
    HOME="$work" openbox --sm-disable --startup "touch '$work/openbox-running'" >"$work/openbox.log" 2>&1 &
    wm_pid=$!
    wm_ready() { ! kill -0 "$wm_pid" 2>/dev/null || [ -e "$work/openbox-running" ]; }
    if ! wait_until wm_ready || ! kill -0 "$wm_pid" 2>/dev/null; then
        echo "openbox did not start on $DISPLAY:" >&2
        cat "$work/openbox.log" >&2
        stop_session
        return 1
    fi
}

# Another server starting or stopping at the same moment can cost a start.
attempt=1
until start_session; do
    attempt=$((attempt + 1))
    if [ "$attempt" -gt 3 ]; then
        echo "no X session after 3 attempts" >&2
        exit 1
    fi
    echo "starting the X session again (attempt $attempt)" >&2
done

export QT_QPA_PLATFORM=xcb
# Under AddressSanitizer: the X keyboard library copies names out of X replies,
# which are not NUL-terminated, with strndup(); strict string checks then read
# past the reply. Only strndup() goes unchecked.
if [ -n "${ASAN_OPTIONS:-}" ]; then
    export ASAN_OPTIONS="$ASAN_OPTIONS:intercept_strndup=0"
fi
export XDG_RUNTIME_DIR="$work/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"
if [ "$dbus" -eq 1 ]; then
    dbus-run-session -- "$@"
else
    # No session bus at all: without an address, the D-Bus library would try
    # to launch a bus for the display, which can hang and outlives the run.
    export DBUS_SESSION_BUS_ADDRESS="unix:path=$work/no-session-bus"
    "$@"
fi
