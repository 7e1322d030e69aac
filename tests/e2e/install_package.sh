#!/usr/bin/env bash
# Builds the Debian package from the build folder the program lies in,
# unpacks it into a scratch root and runs the installed programs from there:
# the version, the desktop entry, the icon, the man pages and the help page
# must all be where the desktop looks for them.
# Usage: install_package.sh PATH-TO-RIGVANE [PATH-TO-RIGVANE-SIM]
set -uo pipefail

RIGVANE=${1:?path to rigvane}
BUILD=$(cd "$(dirname "$RIGVANE")" && pwd)
. "$(dirname "$0")/lib.sh"
work_dir

command -v cpack >/dev/null || fail "cpack is missing"
command -v dpkg-deb >/dev/null || fail "dpkg-deb is missing"
(cd "$WORK" && cpack --config "$BUILD/CPackConfig.cmake" -B "$WORK/pkg" >"$WORK/cpack.log" 2>&1) ||
    { cat "$WORK/cpack.log"; fail "cpack failed"; }
deb=$(ls "$WORK"/pkg/rigvane_*.deb 2>/dev/null | head -1)
[[ -n "$deb" ]] || fail "no package built"

version=$(dpkg-deb -f "$deb" Version)
depends=$(dpkg-deb -f "$deb" Depends)
[[ "$depends" == *libqt6widgets6* && "$depends" == *libqt6serialport6* ]] ||
    fail "package does not depend on Qt: $depends"
[[ "$depends" == *fonts-dseg* ]] || fail "package does not depend on fonts-dseg: $depends"
[[ "$depends" == *libhamlib* ]] || fail "package does not depend on Hamlib: $depends"

dpkg-deb -x "$deb" "$WORK/root" || fail "dpkg-deb -x failed"
root=$WORK/root/usr
out=$("$root/bin/rigvane" --version) || fail "rigvane --version failed"
[[ "$out" == "rigvane $version" ]] || fail "rigvane --version printed '$out', package is $version"
out=$("$root/bin/rigvane-sim" --version) || fail "rigvane-sim --version failed"
[[ "$out" == "rigvane-sim $version" ]] || fail "rigvane-sim --version printed '$out'"

for f in share/applications/rigvane.desktop share/mime/packages/rigvane.xml \
         share/icons/hicolor/scalable/apps/rigvane.svg share/icons/hicolor/48x48/apps/rigvane.png \
         share/man/man1/rigvane.1 share/man/man1/rigvane-sim.1 share/doc/rigvane/Rigvane.html \
         share/doc/rigvane/copyright; do
    [[ -s "$root/$f" ]] || fail "$f is missing from the package"
done
grep -q '^Exec=rigvane %f$' "$root/share/applications/rigvane.desktop" || fail "desktop entry Exec"
grep -q "$version" "$root/share/man/man1/rigvane.1" || fail "man page without the version"
echo "install_package: rigvane $version installs and runs"
