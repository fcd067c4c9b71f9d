#!/usr/bin/env bash
# Times lookups through the real main window as a user makes them: under its
# own X server (Xvfb) and window manager (openbox), with input synthesized
# through XTEST, in the German-English dictionary imported with lexorra-import
# when Debian's dict-freedict-deu-eng is installed, else in a made-up
# 63,109-record s.txt. Each round starts the program afresh and makes ten
# lookups (found, missing, in turn); prints medians over ROUNDS rounds
# (default 10) of
#   - the start to the main window drawn,
#   - the first lookup after start (Enter to the found word's result),
#   - Enter to the found word's box drawn, and OK to the listing drawn,
#   - Enter to a missing word's listing drawn,
#   - the resident memory after the 10 lookups.
# See bench/window_probe.cpp for what "drawn" means. Run by hand, never by the
# tests:
#
#   cmake --preset release && cmake --build --preset release --target lexorra lexorra-import window_probe
#   bench/bench_window.sh [BUILD_DIR]        (default build/release)
#   LEXORRA=/other/lexorra bench/bench_window.sh
#   LEXORRA_B=/other/lexorra bench/bench_window.sh   (both builds, interleaved)
#   TRACE=1 ROUNDS=1 bench/bench_window.sh   (every drawing the server reports, with times)
#
# When goldendict is installed, with the same dictionary, it is timed in the
# same rounds, interleaved (typing the word in its search line, Enter, its
# article drawn), and the table gives each figure's ratio. PEER=none leaves it
# out. It runs with a settings folder of its own, with the German-English
# dictionary only, no online sources or full-text index, and no network
# (unshare -n).
#
# Needs: Xvfb, openbox, x11-utils, python3; window_probe needs libxtst-dev and
# libxdamage-dev at build time. scripts/setup.sh bench installs them all (run
# it before configuring, so that window_probe is built).
set -euo pipefail
cd "$(dirname "$0")/.."
bench_name=bench_window
source bench/window_session.sh

subjects=(--lexorra lexorra "cd '$dictionary' && exec '$program'")
if [[ -n "${LEXORRA_B:-}" ]]; then
    subjects+=(--lexorra lexorra-B "cd '$dictionary' && exec '$(realpath "$LEXORRA_B")'")
fi

if [[ "${PEER:-auto}" == none ]]; then
    echo "peer: left out (PEER=none)"
elif ! command -v goldendict > /dev/null; then
    echo "peer: goldendict is not installed, no comparison"
elif [[ ! -r "$dictd_index" ]]; then
    echo "peer: goldendict needs dict-freedict-deu-eng, which is not installed; no comparison"
else
    # Its own settings: the German-English dictionary and nothing that reaches
    # out, polls or indexes in the background while it is timed.
    peer_home="$work/goldendict-home"
    mkdir -p "$peer_home/.config/goldendict" "$work/goldendict-dicts"
    ln -s "$dictd_index" "${dictd_index%.index}.dict.dz" "$work/goldendict-dicts/"
    cat > "$peer_home/.config/goldendict/config" << EOF
<config>
 <paths>
  <path recursive="0">$work/goldendict-dicts</path>
 </paths>
 <mediawikis/>
 <websites/>
 <programs/>
 <preferences>
  <enableTrayIcon>0</enableTrayIcon>
  <closeToTray>0</closeToTray>
  <enableMainWindowHotkey>0</enableMainWindowHotkey>
  <enableClipboardHotkey>0</enableClipboardHotkey>
  <enableScanPopup>0</enableScanPopup>
  <checkForNewReleases>0</checkForNewReleases>
  <disallowContentFromOtherSites>1</disallowContentFromOtherSites>
  <fullTextSearch>
   <enabled>0</enabled>
  </fullTextSearch>
 </preferences>
</config>
EOF
    peer_command="HOME='$peer_home' exec unshare -n goldendict"
    # Its first start builds its index of the dictionary; the timed starts
    # then find it.
    echo "peer: goldendict $(dpkg-query -W -f '${Version}' goldendict 2> /dev/null || true), indexing the dictionary"
    (eval "$peer_command") > "$work/goldendict.log" 2>&1 &
    indexer=$!
    shown=
    for _ in $(seq 1200); do
        for window in $(xprop -root _NET_CLIENT_LIST 2> /dev/null | grep -o '0x[0-9a-f]*'); do
            xprop -id "$window" _NET_WM_NAME 2> /dev/null | grep -q '"GoldenDict"' && shown=yes
        done
        [[ -n "$shown" ]] && break
        sleep 0.5
    done
    sleep 2
    kill "$indexer" 2> /dev/null || true
    wait "$indexer" 2> /dev/null || true
    if [[ -z "$shown" ]]; then
        echo "$bench_name: goldendict did not open its window within 10 minutes; see $work/goldendict.log" >&2
        exit 1
    fi
    subjects+=(--peer goldendict "$peer_command")
fi

rounds="${ROUNDS:-10}"
echo "load: $(uptime)"
trace=()
[[ -n "${TRACE:-}" ]] && trace=(--trace)
"$probe" --rounds "$rounds" "${trace[@]}" "$found" "$missing" "${subjects[@]}"
echo "load: $(uptime)"
