#!/usr/bin/env bash
# Encoding benchmark: a generated 1080p H.264 + AAC MP4 converted by vconv and by the ffmpeg
# program with the same codecs, options and thread count, taking turns in the same run:
#   mpeg4   MPEG-4 Part 2 + AAC at fixed bit rates
#   x264    libx264 with the "basic" preset's options + AAC
#   mp3     the sound only, to MP3
#   twice   two MPEG-4 conversions at once against two ffmpeg processes at once
# Prints wall time, CPU time and peak memory, their ratios, and compares the outputs: frame
# counts (within one frame) and PSNR against the source (within 0.5 dB).
# Targets for mpeg4, x264 and mp3: at most 1.05 x ffmpeg's wall time and 50 MB more peak memory;
# "twice" is reported as measured.
# BENCH_RUNS (default 3), BENCH_SECONDS (length converted, default 60), BENCH_CASES (default all).
set -euo pipefail
build=${1:-build}
bench=bench_encode
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=common.sh
source "$here/common.sh"
runs=${BENCH_RUNS:-3}
seconds=${BENCH_SECONDS:-60}
cases=${BENCH_CASES:-"mpeg4 x264 mp3 twice"}
threads=2

# The thread count goes to ffmpeg's decoder as well as its encoders, as vconv's --threads does.
ff=(ffmpeg -nostdin -hide_banner -loglevel error -y -threads "$threads" -i "$source" -threads "$threads" -t "$seconds")
vc=("$vconv" convert "$source" -q -y --no-history --threads "$threads" --length "$seconds")

# The "basic" preset in the legacy names the converter takes, and the same settings in the names
# libx264 takes today.
x264_legacy=(coder=1 flags=+loop cmp=+chroma partitions=+parti8x8+parti4x4+partp8x8+partb8x8 me_method=hex
    subq=7 me_range=16 g=250 keyint_min=25 sc_threshold=40 i_qfactor=0.71 b_strategy=1 qcomp=0.6 qmin=10
    qmax=51 qdiff=4 bf=3 refs=3 directpred=1 trellis=1 flags2=+mixed_refs+wpred+dct8x8+fastpskip+mbtree wpredp=2)
x264_params="cabac=1:partitions=i8x8,i4x4,p8x8,b8x8:me=hex:subme=7:merange=16:keyint=250:min-keyint=25:scenecut=40"
x264_params+=":ipratio=1.41:b-adapt=1:qcomp=0.6:qpmin=10:qpmax=51:qpstep=4:bframes=3:ref=3:direct=spatial:trellis=1"
x264_params+=":mixed-refs=1:weightb=1:8x8dct=1:fast-pskip=1:mbtree=1:weightp=2"

# Each case sets: the ffmpeg and vconv command lines, their outputs and whether PSNR applies.
setup() {
    case $1 in
    mpeg4 | twice)
        ff_cmd=("${ff[@]}" -c:v mpeg4 -b:v 8M -c:a aac -b:a 128k "$work/ff_$1.mp4")
        vc_cmd=("${vc[@]}" -o "$work/vc_$1.mp4" --vcodec mpeg4 --acodec aac --set VideoOptions.Bitrate=8000000
            --set AudioOptions.Bitrate=128000)
        ff_out="$work/ff_$1.mp4" vc_out="$work/vc_$1.mp4" video=1 ;;
    x264)
        local legacy=()
        for o in "${x264_legacy[@]}"; do legacy+=(--codec-option "$o"); done
        ff_cmd=("${ff[@]}" -c:v libx264 -b:v 4M -x264-params "$x264_params" -c:a aac -b:a 128k "$work/ff_x264.mp4")
        vc_cmd=("${vc[@]}" -o "$work/vc_x264.mp4" --vcodec libx264 --acodec aac "${legacy[@]}"
            --set VideoOptions.Bitrate=4000000 --set AudioOptions.Bitrate=128000)
        ff_out="$work/ff_x264.mp4" vc_out="$work/vc_x264.mp4" video=1 ;;
    mp3)
        ff_cmd=("${ff[@]}" -vn -c:a libmp3lame -b:a 192k "$work/ff.mp3")
        vc_cmd=("${vc[@]}" -o "$work/vc.mp3" --acodec libmp3lame --set AudioOptions.Bitrate=192000
            --set VideoOptions.VideoDisable=true)
        ff_out="$work/ff.mp3" vc_out="$work/vc.mp3" video=0 ;;
    esac
}

frames() { ffprobe -v error -select_streams "$2" -count_packets -show_entries stream=nb_read_packets -of csv=p=0 "$1"; }
psnr() {
    ffmpeg -nostdin -hide_banner -t "$seconds" -i "$source" -i "$1" -lavfi "[1:v][0:v]psnr" -f null - 2>&1 |
        sed -n 's/.*PSNR.* average:\([0-9.inf]*\).*/\1/p' | tail -1
}

for name in $cases; do
    setup "$name"
    fw="" fc="" fm=0 vw="" vcpu="" vm=0
    for _ in $(seq "$runs"); do
        if [ "$name" = twice ]; then
            read -r w c m < <(measure bash -c '"$@" & "$@" & wait' _ "${ff_cmd[@]}")
        else
            read -r w c m < <(measure "${ff_cmd[@]}")
        fi
        if [ -z "$fw" ] || awk "BEGIN{exit !($w < $fw)}"; then fw=$w; fc=$c; fi
        [ "$m" -gt "$fm" ] && fm=$m
        if [ "$name" = twice ]; then
            read -r w c m < <(measure bash -c '"$@" & "$@" & wait' _ "${vc_cmd[@]}")
        else
            read -r w c m < <(measure "${vc_cmd[@]}")
        fi
        if [ -z "$vw" ] || awk "BEGIN{exit !($w < $vw)}"; then vw=$w; vcpu=$c; fi
        [ "$m" -gt "$vm" ] && vm=$m
    done
    ffmpeg -nostdin -v error -i "$vc_out" -f null - || { echo "bench_encode: vconv output does not decode" >&2; exit 1; }
    printf "%s: %s s of 1080p H.264+AAC, %d threads (best of %d)\n" "$name" "$seconds" "$threads" "$runs"
    printf "  %-8s wall %8.3f s  cpu %8.3f s  peak %7.1f MB\n" ffmpeg "$fw" "$fc" "$(awk "BEGIN{print $fm/1024}")"
    printf "  %-8s wall %8.3f s  cpu %8.3f s  peak %7.1f MB\n" vconv "$vw" "$vcpu" "$(awk "BEGIN{print $vm/1024}")"
    target=1
    [ "$name" = twice ] && target=0
    awk -v fw="$fw" -v vw="$vw" -v fc="$fc" -v vc="$vcpu" -v fm="$fm" -v vm="$vm" -v t="$target" 'BEGIN {
        wr = (fw > 0) ? vw / fw : 0; cr = (fc > 0) ? vc / fc : 0; dm = (vm - fm) / 1024
        printf "  ratio    wall %.2fx  cpu %.2fx  peak memory %+.1f MB\n", wr, cr, dm
        if (t) print "  " ((wr <= 1.05 && dm <= 50) ? "within targets (<= 1.05x, <= +50 MB)" : "OUTSIDE TARGETS (<= 1.05x, <= +50 MB)")
    }'
    sel=a:0
    [ "$video" = 1 ] && sel=v:0
    fa=$(frames "$ff_out" "$sel") va=$(frames "$vc_out" "$sel")
    printf "  frames (%s) ffmpeg %s vconv %s: %s\n" "$sel" "$fa" "$va" \
        "$([ $((fa > va ? fa - va : va - fa)) -le 1 ] && echo "within one" || echo "DIFFER")"
    if [ "$video" = 1 ]; then
        fp=$(psnr "$ff_out") vp=$(psnr "$vc_out")
        printf "  PSNR ffmpeg %s dB vconv %s dB: %s\n" "$fp" "$vp" \
            "$(awk -v a="$fp" -v b="$vp" 'BEGIN{d = a - b; if (d < 0) d = -d; print (d <= 0.5) ? "within 0.5 dB" : "DIFFER"}')"
    fi
done
