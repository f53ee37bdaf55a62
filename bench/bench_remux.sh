#!/usr/bin/env bash
# Remux benchmark: a generated 60-second 1080p H.264 + AAC MP4 remuxed to MKV by vconv and by
# `ffmpeg -c copy` in the same run. Prints wall time, CPU time and peak memory of both, and the
# ratios. Targets: vconv at most 1.25 x ffmpeg's wall time and at most 30 MB more peak memory.
set -euo pipefail
build=${1:-build}
vconv="$build/src/cli/vconv"
[ -x "$vconv" ] || { echo "bench_remux: $vconv not built" >&2; exit 1; }
[ -x /usr/bin/time ] || { echo "bench_remux: /usr/bin/time missing (Debian package 'time')" >&2; exit 1; }

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
runs=${BENCH_RUNS:-5}

# One measured run: prints "wall_s cpu_s peak_kb".
measure() {
    local log="$work/time.log"
    /usr/bin/time -v -o "$log" "$@" >/dev/null 2>"$work/stderr.log" || {
        echo "bench_remux: command failed: $*" >&2
        cat "$work/stderr.log" >&2
        exit 1
    }
    awk -F': ' '
        /Elapsed \(wall clock\)/ { n = split($2, p, ":"); w = 0; for (i = 1; i <= n; i++) w = w * 60 + p[i] }
        /User time/ { u = $2 } /System time/ { s = $2 } /Maximum resident/ { m = $2 }
        END { printf "%.3f %.3f %d\n", w, u + s, m }' "$log"
}

# The two programs take turns, so a change in the machine's load hits both alike. Best of N for
# time (the run least disturbed by other work), largest peak memory.
fw="" fc="" fm=0 vw="" vc="" vm=0
for _ in $(seq "$runs"); do
    read -r w c m < <(measure ffmpeg -nostdin -hide_banner -loglevel error -y -i "$source" -c copy "$work/ffmpeg.mkv")
    if [ -z "$fw" ] || awk "BEGIN{exit !($w < $fw)}"; then fw=$w; fc=$c; fi
    [ "$m" -gt "$fm" ] && fm=$m
    read -r w c m < <(measure "$vconv" convert "$source" -o "$work/vconv.mkv" --copy -q)
    if [ -z "$vw" ] || awk "BEGIN{exit !($w < $vw)}"; then vw=$w; vc=$c; fi
    [ "$m" -gt "$vm" ] && vm=$m
done

ffmpeg -nostdin -v error -i "$work/vconv.mkv" -f null - || { echo "bench_remux: vconv output does not decode" >&2; exit 1; }

printf "remux 60 s 1080p H.264+AAC MP4 -> MKV (best of %d)\n" "$runs"
printf "  %-8s wall %7.3f s  cpu %7.3f s  peak %7.1f MB\n" ffmpeg "$fw" "$fc" "$(awk "BEGIN{print $fm/1024}")"
printf "  %-8s wall %7.3f s  cpu %7.3f s  peak %7.1f MB\n" vconv "$vw" "$vc" "$(awk "BEGIN{print $vm/1024}")"
awk -v fw="$fw" -v vw="$vw" -v fc="$fc" -v vc="$vc" -v fm="$fm" -v vm="$vm" 'BEGIN {
    wr = (fw > 0) ? vw / fw : 0; cr = (fc > 0) ? vc / fc : 0; dm = (vm - fm) / 1024
    printf "  ratio    wall %.2fx (target <= 1.25x)  cpu %.2fx  peak memory %+.1f MB (target <= +30 MB)\n", wr, cr, dm
    verdict = (wr <= 1.25 && dm <= 30) ? "within targets" : "OUTSIDE TARGETS"
    print "  " verdict
}'
