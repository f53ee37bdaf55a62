#!/bin/bash
# check_package.sh BUILD_DIR: builds the Debian package of the build, checks its name, its
# dependencies and lintian's view of it, installs it with apt-get, runs both programs from
# /usr/bin, validates the installed desktop entry and metainfo, tries the bash completion, then
# purges it (with whatever apt-get installed for it) and checks that nothing of it is left under
# /usr. Skips (exit 77) with the reason where it cannot leave the machine as it found it: not
# Debian, not root, the package or the programs installed already.
set -u
build=$(cd "$1" && pwd)
skip() { echo "SKIP: $*"; exit 77; }
fail=0
problem() { echo "FAIL: $*"; fail=1; }

[ -f /etc/debian_version ] || skip "not a Debian system"
[ "$(id -u)" = 0 ] || skip "installing a package needs root"
for tool in cpack dpkg-deb apt-get lintian desktop-file-validate appstreamcli; do
    command -v "$tool" >/dev/null || skip "$tool is not installed"
done
if dpkg-query -W -f='${Status}' videoconverter 2>/dev/null | grep -q ' installed'; then
    skip "the videoconverter package is installed on this machine already"
fi
for path in /usr/bin/vconv /usr/bin/videoconverter; do
    [ -e "$path" ] && skip "$path exists already (installed by other means)"
done

work=$(mktemp -d)
installed=""
cleanup() {
    if [ -n "$installed" ]; then
        DEBIAN_FRONTEND=noninteractive apt-get purge -y -qq -o DPkg::Lock::Timeout=300 $installed >/dev/null 2>&1
    fi
    rm -rf "$work"
}
trap cleanup EXIT
apt_get() { DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=300 "$@"; }

# --- the package ---------------------------------------------------------------------------------
if ! cpack --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1; then
    cat "$work/cpack.log"; echo "FAIL: cpack failed"; exit 1
fi
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
deb=$work/out/videoconverter_${version}_$(dpkg --print-architecture).deb
[ -f "$deb" ] || { ls "$work/out"; echo "FAIL: no $(basename "$deb")"; exit 1; }
echo "built $(basename "$deb") ($(du -h "$deb" | cut -f1))"

depends=$(dpkg-deb -f "$deb" Depends)
for library in libavcodec libavformat libqt6widgets6 libsqlite3; do
    grep -q "$library" <<<"$depends" || problem "Depends lacks $library: $depends"
done
dpkg-deb -c "$deb" | awk '{ print $6 }' | sed 's|^\./|/|; s|/$||' | grep -v '^/usr$\|^$' >"$work/contents"
for path in /usr/bin/vconv /usr/bin/videoconverter /usr/share/applications/videoconverter.desktop \
    /usr/share/icons/hicolor/scalable/apps/videoconverter.svg \
    /usr/share/icons/hicolor/48x48/apps/videoconverter.png \
    /usr/share/icons/hicolor/256x256/apps/videoconverter.png \
    /usr/share/metainfo/com.velvox.videoconverter.metainfo.xml \
    /usr/share/man/man1/vconv.1.gz /usr/share/man/man1/videoconverter.1.gz \
    /usr/share/bash-completion/completions/vconv /usr/share/doc/videoconverter/copyright; do
    grep -qx "$path" "$work/contents" || problem "the package lacks $path"
done

lintian --no-tag-display-limit "$deb" >"$work/lintian.log" 2>&1
if grep -q '^E:' "$work/lintian.log"; then
    grep '^E:' "$work/lintian.log"
    problem "lintian reports errors"
fi
grep -c '^W:' "$work/lintian.log" | xargs -I{} echo "lintian: {} warnings, no errors"

# --- installed -----------------------------------------------------------------------------------
# What apt-get adds for it is purged with it, so the machine ends as it began.
extra=$(apt_get install -s --no-install-recommends "$deb" 2>/dev/null | awk '/^Inst / && $2 != "videoconverter" { print $2 }')
[ -n "$extra" ] && echo "apt-get installs with it: $extra"
installed="videoconverter $extra"
if ! apt_get install -y -qq --no-install-recommends "$deb" >"$work/apt.log" 2>&1; then
    cat "$work/apt.log"; echo "FAIL: apt-get install failed"; exit 1
fi

out=$(/usr/bin/vconv --version 2>&1) || problem "/usr/bin/vconv --version failed: $out"
grep -q "$version" <<<"$out" || problem "vconv --version does not say $version: $out"
# The desktop program on the offscreen platform, in folders of its own, off any session bus: it
# runs until stopped.
home=$work/home
mkdir -p "$home/run" && chmod 700 "$home/run"
env -u DBUS_SESSION_BUS_ADDRESS HOME="$home" XDG_DATA_HOME="$home/data" XDG_CONFIG_HOME="$home/config" \
    XDG_RUNTIME_DIR="$home/run" QT_QPA_PLATFORM=offscreen VC_NEVER_POWER_OFF=1 \
    timeout 8 /usr/bin/videoconverter >"$work/gui.log" 2>&1
code=$?
[ $code = 124 ] || { cat "$work/gui.log"; problem "/usr/bin/videoconverter ended with $code before it was stopped"; }

desktop-file-validate /usr/share/applications/videoconverter.desktop || problem "desktop-file-validate refuses the entry"
grep -q '^Exec=videoconverter %F$' /usr/share/applications/videoconverter.desktop || problem "the entry does not open files"
appstreamcli validate --no-net /usr/share/metainfo/com.velvox.videoconverter.metainfo.xml ||
    problem "appstreamcli refuses the metainfo"
man -l /usr/share/man/man1/vconv.1.gz >/dev/null 2>&1 || problem "man cannot read vconv.1"

completion() {
    HOME="$home" XDG_DATA_HOME="$home/data" bash -c '
        source /usr/share/bash-completion/completions/vconv
        COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1)); _vconv; printf "%s\n" "${COMPREPLY[@]}"' completion "$@"
}
completion vconv con | grep -qx convert || problem "completion does not offer convert"
completion vconv convert --pro | grep -qx -- --profile || problem "completion does not offer --profile"
completion vconv convert --profile MPEG-4 | grep -qxF 'MPEG-4\ Video\ \(\*.mp4\)' ||
    problem "completion does not offer the profile MPEG-4 Video (*.mp4)"

# --- purged --------------------------------------------------------------------------------------
if ! apt_get purge -y -qq $installed >"$work/apt.log" 2>&1; then
    cat "$work/apt.log"; problem "apt-get purge failed"
fi
installed=""
while read -r path; do
    [ -e "$path" ] || [ -L "$path" ] || continue
    # Folders the package shares with others (/usr/share/man) stay; its own must go.
    if [ -d "$path" ] && ! grep -q videoconverter <<<"$path"; then continue; fi
    problem "left after purge: $path"
done <"$work/contents"
left=$(find /usr -name 'vconv' -o -name 'videoconverter*' -o -name '*velvox*' 2>/dev/null)
[ -z "$left" ] || problem "left under /usr: $left"

[ $fail = 0 ] && echo "the package builds, installs, runs and purges cleanly"
exit $fail
