#!/usr/bin/env bash
# Remux benchmark: a generated 60-second 1080p H.264 + AAC MP4 remuxed to MKV by vconv and by
# `ffmpeg -c copy` in the same run. Prints wall time, CPU time and peak memory of both, and the
# ratios. Targets: vconv at most 1.25 x ffmpeg's wall time and at most 30 MB more peak memory.
set -euo pipefail
build=${1:-build}
bench=bench_remux
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=common.sh
source "$here/common.sh"
runs=${BENCH_RUNS:-5}
# --no-history: the same work as ffmpeg -c copy. Recording the task (store row, settings file)
# adds a fixed ~0.25 s per conversion, which the task-history benchmark measures on its own.

# The two programs take turns, so a change in the machine's load hits both alike. Best of N for
# time (the run least disturbed by other work), largest peak memory.
fw="" fc="" fm=0 vw="" vc="" vm=0
for _ in $(seq "$runs"); do
    read -r w c m < <(measure ffmpeg -nostdin -hide_banner -loglevel error -y -i "$source" -c copy "$work/ffmpeg.mkv")
    if [ -z "$fw" ] || awk "BEGIN{exit !($w < $fw)}"; then fw=$w; fc=$c; fi
    [ "$m" -gt "$fm" ] && fm=$m
    read -r w c m < <(measure "$vconv" convert "$source" -o "$work/vconv.mkv" --copy -q -y --no-history)
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
