#!/bin/bash
# check_install.sh BUILD_DIR: installs the build into a scratch DESTDIR with prefix /usr and checks
# that the programs, the desktop entry and the icon land where the desktop finds them, that the
# entry names the installed program and icon, and that nothing is written outside DESTDIR.
set -u
build=$1
dest=$(mktemp -d)
log=$(mktemp)
trap 'rm -rf "$dest" "$log"' EXIT
fail=0
problem() { echo "FAIL: $*"; fail=1; }

if ! DESTDIR=$dest cmake --install "$build" --prefix /usr >"$log" 2>&1; then
    cat "$log"
    echo "FAIL: cmake --install failed"; exit 1
fi

# Every path cmake reports it installed is inside DESTDIR.
while read -r line; do
    path=${line#-- Installing: }
    path=${path#-- Up-to-date: }
    case $path in "$dest"/*) ;; *) problem "installed outside DESTDIR: $path" ;; esac
done < <(grep -E '^-- (Installing|Up-to-date): ' "$log")

for program in vconv videoconverter; do
    [ -x "$dest/usr/bin/$program" ] || problem "$program is not in /usr/bin or not executable"
done
entry=$dest/usr/share/applications/videoconverter.desktop
icon=$dest/usr/share/icons/hicolor/scalable/apps/videoconverter.svg
[ -f "$entry" ] || problem "no desktop entry in /usr/share/applications"
[ -f "$icon" ] || problem "no icon in /usr/share/icons/hicolor/scalable/apps"

if [ -f "$entry" ]; then
    grep -qx 'Type=Application' "$entry" || problem "the desktop entry is not an application"
    exec_program=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$entry")
    [ -x "$dest/usr/bin/$exec_program" ] || problem "Exec=$exec_program is not an installed program"
    icon_name=$(sed -n 's/^Icon=//p' "$entry")
    [ "$icon_name" = "$(basename "$icon" .svg)" ] || problem "Icon=$icon_name does not name the icon"
    if command -v desktop-file-validate >/dev/null; then
        desktop-file-validate "$entry" || problem "desktop-file-validate refuses the entry"
    fi
fi
if [ -f "$icon" ]; then
    grep -q '<svg[ >]' "$icon" && grep -q '</svg>' "$icon" || problem "the icon is not an SVG document"
fi

[ $fail = 0 ] && echo "installed as expected under $dest"
exit $fail
