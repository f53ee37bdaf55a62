#!/usr/bin/env bash
# Preview benchmark: a generated 10 s 1080p25 H.264 + AAC clip decoded and delivered through the
# preview engine with recording renderers and no clock, 4 passes (LoopCount 4), against
# `ffmpeg -i IN -f null -` decoding the same file in the same run, both with 2 decoder threads.
# Target: at least 0.8 x ffmpeg's rate, and the resident memory steady from pass to pass.
set -euo pipefail
build=${1:-build}
prog="$build/bench/bench_preview"
[ -x "$prog" ] || { echo "bench_preview: $prog not built" >&2; exit 1; }
cache="$build/bench-media"
clip="$cache/h264_1080p.mp4"
if [ ! -f "$clip" ]; then
    echo "Making $clip (once) ..."
    mkdir -p "$cache"
    ffmpeg -nostdin -hide_banner -loglevel error -y -f lavfi -i "testsrc2=size=1920x1080:rate=25:duration=10" \
        -f lavfi -i "sine=frequency=440:sample_rate=48000:duration=10" \
        -c:v libx264 -preset veryfast -g 50 -pix_fmt yuv420p -c:a aac -b:a 128k "$clip.tmp.mp4"
    mv "$clip.tmp.mp4" "$clip"
fi
"$prog" "$clip" 2 4
