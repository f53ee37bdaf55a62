#!/usr/bin/env bash
# Conversions through the path users take: tasks (task store, slot pool, history) in one vconv
# process, against as many ffmpeg processes on the same recipe and threads, with vconv's
# --no-history runs (one process per conversion, no task) beside them, taking turns in one run:
#   two     two 20 s clips, MPEG-4 + AAC with the "MPEG-4 Video (*.mp4)" profile: `vconv batch`
#           (2 slots, 1 thread per task) | two ffmpeg processes | two `vconv convert --no-history`
#   four    four such clips on 2 slots (1 thread per task) | four ffmpeg processes at once | four
#           `vconv convert --no-history` at once
#   remux   the 60 s clip to MKV through a task (`vconv convert --copy`) | `ffmpeg -c copy` |
#           `vconv convert --copy --no-history`
# Prints wall time, CPU time and peak memory (the largest single process for the process rows)
# and the ratios. Targets: two and four at most 1.05x the ffmpeg processes' wall time; remux at
# most 1.10x the --no-history run and 1.25x ffmpeg.
# BENCH_RUNS (default 3; the median is kept), BENCH_CASES (default "two four remux").
set -euo pipefail
build=${1:-build}
bench=bench_tasks
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=common.sh
source "$here/common.sh"
runs=${BENCH_RUNS:-3}
cases=${BENCH_CASES:-"two four remux"}
profile="MPEG-4 Video (*.mp4)"

# The tasks' own settings, store and pool: nothing of the user's is touched.
export XDG_DATA_HOME="$work/xdg"
export VCONV_SLOT_POOL="vc-bench-tasks-2" VCONV_SLOTS=2
mkdir -p "$XDG_DATA_HOME"
"$vconv" config set PerformanceOptions.ThreadCount=0 ShowAlert=false ShutdownWhenDone=false >/dev/null

# Four differently named 20 s clips (a batch names its outputs after its inputs).
clip="$cache/clip_20s.mp4"
[ -s "$clip" ] || ffmpeg -nostdin -v error -y -i "$source" -t 20 -c copy "$clip"
for i in 1 2 3 4; do ln -f "$clip" "$work/clip$i.mp4"; done

# The profile's recipe, as `vconv profiles --show` prints it: 640x480 at 25 fps, MPEG-4 at
# 1.2 Mbit/s, AAC 128 kbit/s at 44.1 kHz stereo, no subtitles, MP4.
ff_one() { # input output
    ffmpeg -nostdin -hide_banner -loglevel error -y -threads 1 -i "$1" -threads 1 -s 640x480 -r 25 \
        -c:v mpeg4 -b:v 1200k -c:a aac -b:a 128k -ar 44100 -ac 2 -sn -f mp4 "$2"
}
vc_one() { # input output
    "$vconv" convert "$1" -o "$2" -q -y --no-history --profile "$profile" --profile-category MP4 --threads 1
}
export -f ff_one vc_one
export vconv profile

# Runs the command line the case builds for `who`: prints "wall cpu peak_kb".
run_case() {
    local name=$1 who=$2 n=$3 files=() outs=()
    for i in $(seq "$n"); do files+=("$work/clip$i.mp4"); done
    rm -rf "$work/out_$who" && mkdir -p "$work/out_$who"
    case $who in
    tasks) measure "$vconv" batch -q -y --profile "$profile" --profile-category MP4 -o "$work/out_$who" "${files[@]}" ;;
    ffmpeg | nohist)
        local fn=ff_one
        [ "$who" = nohist ] && fn=vc_one
        measure bash -c 'for f in "${@:2}"; do '"$fn"' "$f" "$1/$(basename "$f")" & done; wait' _ \
            "$work/out_$who" "${files[@]}" ;;
    esac
}

median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }

report() { # label, rows "who wall cpu peak" in $rows
    printf "%s\n" "$1"
    printf "%s" "$rows" | while read -r who w c m; do
        printf "  %-22s wall %8.3f s  cpu %8.3f s  peak %7.1f MB\n" "$who" "$w" "$c" "$(awk "BEGIN{print $m/1024}")"
    done
}

for name in $cases; do
    rows=""
    case $name in
    two | four)
        n=2
        [ "$name" = four ] && n=4
        declare -A W C M
        for who in ffmpeg tasks nohist; do W[$who]="" C[$who]="" M[$who]=0; done
        for _ in $(seq "$runs"); do
            for who in ffmpeg tasks nohist; do
                read -r w c m < <(run_case "$name" "$who" "$n")
                W[$who]+="$w " C[$who]+="$c "
                [ "$m" -gt "${M[$who]}" ] && M[$who]=$m
            done
        done
        for who in ffmpeg tasks nohist; do
            w=$(tr ' ' '\n' <<<"${W[$who]}" | grep . | median)
            c=$(tr ' ' '\n' <<<"${C[$who]}" | grep . | median)
            label=$who
            [ "$who" = ffmpeg ] && label="ffmpeg x$n processes"
            [ "$who" = tasks ] && label="vconv batch (tasks)"
            [ "$who" = nohist ] && label="vconv --no-history x$n"
            rows+="$(printf "%s %s %s %s" "${label// /_}" "$w" "$c" "${M[$who]}")"$'\n'
        done
        report "$name: $n x 20 s 1080p H.264+AAC -> \"$profile\", 1 thread per conversion, 2 slots (median of $runs)"
        for f in "$work"/out_tasks/*.mp4; do
            ffmpeg -nostdin -v error -i "$f" -f null - || { echo "$bench: $f does not decode" >&2; exit 1; }
        done
        fw=$(printf "%s" "$rows" | sed -n 1p | cut -d' ' -f2)
        tw=$(printf "%s" "$rows" | sed -n 2p | cut -d' ' -f2)
        nw=$(printf "%s" "$rows" | sed -n 3p | cut -d' ' -f2)
        awk -v f="$fw" -v t="$tw" -v n="$nw" 'BEGIN {
            r = t / f
            printf "  ratio    tasks/ffmpeg wall %.2fx (target <= 1.05x): %s;  --no-history/ffmpeg %.2fx\n",
                r, (r <= 1.05) ? "within target" : "OUTSIDE TARGET", n / f }'
        unset W C M
        ;;
    remux)
        fw="" vw="" nw="" fc="" vc="" nc="" fm=0 vm=0 nm=0
        for _ in $(seq "$runs"); do
            read -r w c m < <(measure ffmpeg -nostdin -hide_banner -loglevel error -y -i "$source" -c copy "$work/ff.mkv")
            fw+="$w " fc+="$c "; [ "$m" -gt "$fm" ] && fm=$m
            read -r w c m < <(measure "$vconv" convert "$source" -o "$work/task.mkv" --copy -q -y)
            vw+="$w " vc+="$c "; [ "$m" -gt "$vm" ] && vm=$m
            read -r w c m < <(measure "$vconv" convert "$source" -o "$work/nohist.mkv" --copy -q -y --no-history)
            nw+="$w " nc+="$c "; [ "$m" -gt "$nm" ] && nm=$m
        done
        med() { tr ' ' '\n' <<<"$1" | grep . | median; }
        rows="ffmpeg_-c_copy $(med "$fw") $(med "$fc") $fm"$'\n'
        rows+="vconv_convert_(task) $(med "$vw") $(med "$vc") $vm"$'\n'
        rows+="vconv_--no-history $(med "$nw") $(med "$nc") $nm"$'\n'
        report "remux: 60 s 1080p H.264+AAC MP4 -> MKV (median of $runs)"
        ffmpeg -nostdin -v error -i "$work/task.mkv" -f null - || { echo "$bench: task output does not decode" >&2; exit 1; }
        awk -v f="$(med "$fw")" -v t="$(med "$vw")" -v n="$(med "$nw")" 'BEGIN {
            a = t / n; b = t / f
            printf "  ratio    task/--no-history %.2fx (target <= 1.10x), task/ffmpeg %.2fx (target <= 1.25x): %s\n",
                a, b, (a <= 1.10 && b <= 1.25) ? "within targets" : "OUTSIDE TARGETS" }'
        ;;
    esac
done
