#!/usr/bin/env bash
# `make run`: converts a generated clip with vconv and says where the result went.
set -euo pipefail
build=${1:-build}
work=$(mktemp -d /tmp/vconv-demo.XXXXXX)
ffmpeg -nostdin -hide_banner -loglevel error -y -f lavfi -i "testsrc=size=640x360:rate=25:duration=5" \
    -f lavfi -i "sine=frequency=440:duration=5" -c:v libx264 -preset veryfast -pix_fmt yuv420p \
    -c:a aac "$work/demo-source.mp4"
"$build/src/cli/vconv" convert "$work/demo-source.mp4" -o "$work/demo-output.mkv" --copy -y
echo "Converted $work/demo-source.mp4"
echo "Output:   $work/demo-output.mkv"
