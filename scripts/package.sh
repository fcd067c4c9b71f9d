#!/usr/bin/env bash
# Installs what is missing, builds Lexorra in the package preset (release, no
# tests) and makes its Debian package, lexorra_<version>_<arch>.deb, in the
# repository's top folder. Install it with:
#
#   sudo apt install ./lexorra_*.deb
#
# LEXORRA_NO_SETUP=1 skips installing (see scripts/setup.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
top=$PWD

scripts/setup.sh build package
# Checked before the build, which takes minutes: cpack's DEB generator reads
# the programs' dependencies with dpkg-shlibdeps and tells executables by file.
for tool in cmake cpack dpkg-shlibdeps dpkg-deb file; do
    if ! command -v "$tool" >/dev/null; then
        echo "package.sh: '$tool' is missing (scripts/setup.sh build package installs it)" >&2
        exit 1
    fi
done

cmake --preset package
cmake --build --preset package

cd build/package
rm -f lexorra_*.deb
cpack -G DEB
debs=(lexorra_*.deb)
deb=${debs[0]}

# The package installs under /usr whatever prefix the build was configured
# with; its menu entry must start the program in the sample dictionary there.
path=$(dpkg-deb --fsys-tarfile "$deb" | tar -xO ./usr/share/applications/org.lexorra.Lexorra.desktop |
    sed -n 's/^Path=//p')
if [ "$path" != /usr/share/lexorra ]; then
    echo "package.sh: the menu entry's Path= is '$path', not /usr/share/lexorra" >&2
    exit 1
fi
contents=$(dpkg-deb --fsys-tarfile "$deb" | tar -t)
if ! grep -qx ./usr/share/lexorra/a.txt <<<"$contents"; then
    echo "package.sh: the package holds no sample dictionary in /usr/share/lexorra" >&2
    exit 1
fi

mv -f "$deb" "$top/"
echo "Built $top/$deb"
