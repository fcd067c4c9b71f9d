#!/usr/bin/env bash
# Checks of the installed program, run by CTest:
#
#   check_install.sh install  BUILD_DIR STAGE VERSION
#                                              install into STAGE/<prefix> with
#                                              DESTDIR, for two prefixes, and
#                                              check that every file is there
#   check_install.sh desktop  STAGE            desktop-file-validate
#   check_install.sh metainfo STAGE            appstreamcli validate --no-net
#   check_install.sh manpage  STAGE            the manual pages render cleanly
#
# A check whose tool is missing exits with 77, which CTest reports as skipped.
set -euo pipefail

# The prefixes installed into: the package's, and one that no default uses.
prefixes=(/usr /opt/lexorra-check)
app_id=org.lexorra.Lexorra

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

need() {
    if ! command -v "$1" >/dev/null; then
        echo "SKIP: $1 is not installed (the $2 package; scripts/setup.sh installs it)"
        exit 77
    fi
}

# Width and height from a PNG file's header.
png_size() {
    od -An -tu1 -j16 -N8 "$1" | awk '{ printf "%dx%d", $3 * 256 + $4, $7 * 256 + $8 }'
}

check_tree() {
    local root=$1 prefix=$2
    local files=(
        bin/lexorra
        bin/lexorra-import
        share/man/man1/lexorra-import.1.gz
        share/applications/$app_id.desktop
        share/metainfo/$app_id.metainfo.xml
        share/man/man1/lexorra.1.gz
        share/icons/hicolor/scalable/apps/$app_id.svg
        share/doc/lexorra/README.md
        share/doc/lexorra/LICENSE
        share/doc/lexorra/copyright
        share/doc/lexorra/changelog.gz
    )
    local size
    for size in 16 24 32 48 64 128 256; do
        files+=("share/icons/hicolor/${size}x${size}/apps/$app_id.png")
    done
    local letter
    for letter in {a..z}; do
        files+=("share/lexorra/$letter.txt")
    done
    local file
    for file in "${files[@]}"; do
        [ -f "$root/$file" ] || fail "$prefix/$file was not installed"
    done
    [ -x "$root/bin/lexorra" ] || fail "$prefix/bin/lexorra is not executable"

    for size in 16 24 32 48 64 128 256; do
        file=$root/share/icons/hicolor/${size}x${size}/apps/$app_id.png
        [ "$(png_size "$file")" = "${size}x${size}" ] || fail "$file is $(png_size "$file"), not ${size}x${size}"
    done

    # The menu entry starts the program in the sample dictionary of this very
    # install, and the manual page names the same folder.
    local path
    path=$(sed -n 's/^Path=//p' "$root/share/applications/$app_id.desktop")
    [ "$path" = "$prefix/share/lexorra" ] || fail "Path=$path, expected $prefix/share/lexorra"
    grep -q '^apple,' "$root${path#"$prefix"}/a.txt" || fail "no apple in the sample dictionary's a.txt"
    zcat "$root/share/man/man1/lexorra.1.gz" | grep -qF "${path//-/\\-}" || fail "the manual page does not name $path"

    # The change log's latest entry is the version being installed.
    zcat "$root/share/doc/lexorra/changelog.gz" | head -n 1 | grep -q "^lexorra ($version) " ||
        fail "the change log's latest entry is not for version $version"

    # Nothing is installed but what is listed above.
    local extra
    extra=$(cd "$root" && find . -type f | sed 's|^\./||' | sort | comm -23 - <(printf '%s\n' "${files[@]}" | sort))
    [ -z "$extra" ] || fail "unexpected files installed: $extra"
}

mode=$1
case $mode in
install)
    build=$2 stage=$3 version=$4
    rm -rf "$stage"
    for prefix in "${prefixes[@]}"; do
        DESTDIR="$stage/${prefix//\//_}" cmake --install "$build" --prefix "$prefix" >/dev/null
        check_tree "$stage/${prefix//\//_}$prefix" "$prefix"
        echo "installed and checked under $prefix"
    done
    ;;
desktop)
    need desktop-file-validate desktop-file-utils
    out=$(desktop-file-validate "$2/_usr/usr/share/applications/$app_id.desktop" 2>&1) || fail "$out"
    [ -z "$out" ] || fail "desktop-file-validate: $out"
    echo "desktop entry: no errors, no warnings"
    ;;
metainfo)
    need appstreamcli appstream
    out=$(appstreamcli validate --no-net "$2/_usr/usr/share/metainfo/$app_id.metainfo.xml" 2>&1) || fail "$out"
    echo "$out"
    # Pedantic notes are allowed; anything stronger is not. AppStream before
    # 1.0 (Debian 12) does not know the <developer> element, which 1.0
    # (Debian 13) asks for in place of <developer_name>: it notes it as an
    # unknown tag, and that note alone is allowed there.
    version=$(appstreamcli --version | grep -o '[0-9][0-9.]*' | head -n 1)
    notes=$(grep -E '^[EWI]: ' <<<"$out" || true)
    if [ "${version%%.*}" -lt 1 ]; then
        notes=$(grep -vE "^I: $app_id:[0-9]+: unknown-tag developer\$" <<<"$notes" || true)
    fi
    if [ -n "$notes" ]; then
        echo "$notes"
        fail "appstreamcli $version reported more than pedantic notes"
    fi
    ;;
manpage)
    need groff groff-base
    for page in "$2"/_usr/usr/share/man/man1/lexorra.1.gz "$2"/_usr/usr/share/man/man1/lexorra-import.1.gz; do
        [ -f "$page" ] || fail "missing $page"
        out=$(zcat "$page" | groff -ww -z -man 2>&1) || fail "$out"
        [ -z "$out" ] || fail "groff on ${page##*/}: $out"
        if command -v man >/dev/null; then
            out=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null) || fail "$out"
            [ -z "$out" ] || fail "man on ${page##*/}: $out"
        fi
        echo "${page##*/}: no warnings"
    done
    ;;
*)
    fail "unknown check: $mode"
    ;;
esac
