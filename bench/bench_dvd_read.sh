#!/usr/bin/env bash
# DVD read benchmark: a generated 2-minute DVD title at the full DVD bit rate (about 140 MB) read through TDvdStream (the navigation layer,
# the ring) and read straight from its VOB files, both from the page cache, best of 3.
# Target: TDvdStream at least half the direct rate.
set -euo pipefail
build=${1:-build}
prog="$build/bench/bench_dvd_read"
[ -x "$prog" ] || { echo "bench_dvd_read: $prog not built" >&2; exit 1; }
cache="$build/bench-media/dvd"
if [ ! -f "$cache/disc/VIDEO_TS/VIDEO_TS.IFO" ]; then
    echo "Authoring $cache/disc (once) ..."
    rm -rf "$cache" && mkdir -p "$cache"
    # Noise keeps the encoder at the maximum DVD bit rate, so the title has a realistic size.
    ffmpeg -nostdin -hide_banner -loglevel error -y -f lavfi -i "testsrc=size=720x576:rate=25:duration=120" \
        -f lavfi -i "sine=frequency=440:sample_rate=48000:duration=120" -vf "noise=alls=40:allf=t" \
        -target pal-dvd -b:v 8000k -aspect 4:3 \
        "$cache/t1.mpg"
    cat > "$cache/dvd.xml" <<XML
<dvdauthor dest="$cache/disc"><vmgm /><titleset><titles><video format="pal" aspect="4:3" />
<pgc><vob file="$cache/t1.mpg" chapters="0,0:30,1:00,1:30" /></pgc></titles></titleset></dvdauthor>
XML
    VIDEO_FORMAT=PAL dvdauthor -x "$cache/dvd.xml" >"$cache/dvdauthor.log" 2>&1
    rm -f "$cache/t1.mpg"
fi
"$prog" "$cache/disc" 1 3
