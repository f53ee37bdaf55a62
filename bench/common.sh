# Shared by the conversion benchmarks (sourced, not run): the checks, the generated 60-second
# 1080p H.264 + AAC source cached in the build folder, a scratch folder, and one measured run.
# The sourcing script sets `bench` (its name for messages) and `build` first.

vconv="$build/src/cli/vconv"
[ -x "$vconv" ] || { echo "$bench: $vconv not built" >&2; exit 1; }
[ -x /usr/bin/time ] || { echo "$bench: /usr/bin/time missing (Debian package 'time')" >&2; exit 1; }

cache="$build/bench-media"
source="$cache/remux_1080p_60s.mp4"
mkdir -p "$cache"
if [ ! -s "$source" ]; then
    echo "Generating $source (once) ..."
    ffmpeg -nostdin -hide_banner -loglevel error -y \
        -f lavfi -i "testsrc2=size=1920x1080:rate=30:duration=60" \
        -f lavfi -i "sine=frequency=440:sample_rate=48000:duration=60" \
        -c:v libx264 -preset ultrafast -crf 23 -g 60 -pix_fmt yuv420p -c:a aac -b:a 128k \
        -f mp4 "$source.part"
    mv "$source.part" "$source"
fi

work=$(mktemp -d /tmp/vconv-bench.XXXXXX)
trap 'rm -rf "$work"' EXIT

# One measured run: prints "wall_s cpu_s peak_kb".
measure() {
    local log="$work/time.log"
    /usr/bin/time -v -o "$log" "$@" >/dev/null 2>"$work/stderr.log" || {
        echo "$bench: command failed: $*" >&2
        cat "$work/stderr.log" >&2
        exit 1
    }
    awk -F': ' '
        /Elapsed \(wall clock\)/ { n = split($2, p, ":"); w = 0; for (i = 1; i <= n; i++) w = w * 60 + p[i] }
        /User time/ { u = $2 } /System time/ { s = $2 } /Maximum resident/ { m = $2 }
        END { printf "%.3f %.3f %d\n", w, u + s, m }' "$log"
}
