#!/usr/bin/env bash
# What a user gets: every program with its own defaults (no thread option anywhere), vconv through
# its task path, taking turns in one run so that a change in the machine's load hits all alike.
#   recipe   30 s 1080p H.264 -> 720p x264 "medium" 2500 kbit/s + AAC: `vconv convert` (a task, no
#            --threads) | the ffmpeg program | HandBrakeCLI (Debian handbrake-cli, installed here
#            when missing and BENCH_INSTALL is not 0)
#   profile  the same source through the catalogue profile "MPEG-4 Video (*.mp4)" (a task, no
#            --threads) | ffmpeg on the profile's recipe
#   filters  deinterlace + scale + text overlay, 1080p -> 720p x264: vconv | ffmpeg on the same
#            graph; prints each program's utilisation, CPU seconds / wall seconds, against the cores
#   two      two 20 s clips to 720p x264 in one `vconv batch` | two ffmpeg processes at once
#   remux    a 90 s 1080p file to MKV through a task | `ffmpeg -c copy`
#   batch40  the peak resident memory of a 40-file `vconv batch` on 2 slots against one conversion
#            of the same profile alone
# Prints wall, CPU, peak memory and SSIM against the source, and the ratios (medians of BENCH_RUNS,
# default 3). Targets: recipe <= 1.00x ffmpeg and <= 0.95x HandBrakeCLI at an SSIM within 0.001 of
# ffmpeg's; filters no slower than ffmpeg; two <= 1.00x; remux <= 1.15x; batch40 peak within
# 2 x one conversion + 50 MB. BENCH_CASES picks cases (default all).
set -euo pipefail
build=${1:-build}
bench=bench_defaults
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=common.sh
source "$here/common.sh"
runs=${BENCH_RUNS:-3}
cases=${BENCH_CASES:-"recipe profile filters two remux batch40"}
cores=$(nproc)
profile="MPEG-4 Video (*.mp4)"

# The tasks' own settings, store and pool: nothing of the user's is touched. The configuration is
# left as a first start writes it (ThreadCount 0).
export XDG_DATA_HOME="$work/xdg"
export VCONV_SLOT_POOL="vc-bench-defaults-$$" VCONV_SLOTS=2
mkdir -p "$XDG_DATA_HOME"
"$vconv" config set ShowAlert=false ShutdownWhenDone=false >/dev/null

src30="$cache/clip_30s.mp4"
[ -s "$src30" ] || ffmpeg -nostdin -v error -y -i "$source" -t 30 -c copy "$src30"
src20="$cache/clip_20s.mp4"
[ -s "$src20" ] || ffmpeg -nostdin -v error -y -i "$source" -t 20 -c copy "$src20"

median() { tr ' ' '\n' | grep . | sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
mb() { awk "BEGIN{printf \"%.1f\", $1/1024}"; }
# SSIM of `out` against the source scaled to the output's size.
ssim() { # out source
    local size
    size=$(ffprobe -v error -select_streams v:0 -show_entries stream=width,height -of csv=p=0:s=x "$1")
    ffmpeg -nostdin -hide_banner -i "$1" -i "$2" -lavfi "[1:v]scale=${size/x/:}:flags=bicubic[r];[0:v][r]ssim" \
        -f null - 2>&1 | sed -n 's/.*SSIM.* All:\([0-9.]*\).*/\1/p' | tail -1
}

# Takes turns over the programs named in "$@" (each a function that runs one conversion), BENCH_RUNS
# times; sets W[name], C[name] (medians) and M[name] (largest peak).
declare -A W C M
turns() {
    local who w c m
    declare -A ws cs
    for who in "$@"; do ws[$who]="" cs[$who]="" M[$who]=0; done
    for _ in $(seq "$runs"); do
        for who in "$@"; do
            read -r w c m < <(measure bash -c "run_$who")
            ws[$who]+="$w " cs[$who]+="$c "
            [ "$m" -gt "${M[$who]}" ] && M[$who]=$m
        done
    done
    for who in "$@"; do
        W[$who]=$(median <<<"${ws[$who]}")
        C[$who]=$(median <<<"${cs[$who]}")
    done
}
row() { # label who [ssim]
    printf "  %-26s wall %8.3f s  cpu %8.3f s  use %4.2f of %d cores  peak %7.1f MB%s\n" "$1" "${W[$2]}" \
        "${C[$2]}" "$(awk "BEGIN{print ${C[$2]}/${W[$2]}}")" "$cores" "$(mb "${M[$2]}")" "${3:+  SSIM $3}"
}
ratio() { awk "BEGIN{printf \"%.2f\", ${W[$1]}/${W[$2]}}"; }
verdict() { awk "BEGIN{exit !($1)}" && echo "within target" || echo "OUTSIDE TARGET"; }

# `measure` runs a command; these wrap each program's run so the turns can name them.
export vconv work src30 src20 profile
run_vc_recipe() {
    "$vconv" convert "$src30" -o "$work/vc_recipe.mp4" -q --vcodec libx264 --acodec aac \
        --set VideoOptions.FrameWidth=1280 --set VideoOptions.FrameHeight=720 \
        --set VideoOptions.Bitrate=2500000 --set AudioOptions.Bitrate=128000 --codec-option preset=medium
}
run_ff_recipe() {
    ffmpeg -nostdin -hide_banner -loglevel error -y -i "$src30" -vf scale=1280:720 -c:v libx264 -preset medium \
        -b:v 2500k -c:a aac -b:a 128k "$work/ff_recipe.mp4"
}
run_hb_recipe() {
    HandBrakeCLI -i "$src30" -o "$work/hb_recipe.mp4" -e x264 --encoder-preset medium -b 2500 -w 1280 -l 720 \
        -E av_aac -B 128 --crop 0:0:0:0
}
run_vc_profile() {
    "$vconv" convert "$src30" -o "$work/vc_profile.mp4" -q --profile "$profile" --profile-category MP4
}
run_ff_profile() { # the profile's recipe as `vconv profiles --show` prints it
    ffmpeg -nostdin -hide_banner -loglevel error -y -i "$src30" -s 640x480 -r 25 -c:v mpeg4 -b:v 1200k \
        -c:a aac -b:a 128k -ar 44100 -ac 2 -sn -f mp4 "$work/ff_profile.mp4"
}
font=$(fc-match -f '%{file}' DejaVuSans 2>/dev/null || true)
graph="yadif,scale=1280:720,drawtext=fontfile=$font:text=Benchmark:fontsize=48:x=40:y=40:fontcolor=white"
export graph
run_vc_filters() {
    "$vconv" convert "$src30" -o "$work/vc_filters.mp4" -q --vcodec libx264 --acodec aac --vf "$graph" \
        --set VideoOptions.Bitrate=2500000 --set AudioOptions.Bitrate=128000 --codec-option preset=medium
}
run_ff_filters() {
    ffmpeg -nostdin -hide_banner -loglevel error -y -i "$src30" -vf "$graph" -c:v libx264 -preset medium \
        -b:v 2500k -c:a aac -b:a 128k "$work/ff_filters.mp4"
}
run_vc_two() {
    rm -rf "$work/two" && mkdir -p "$work/two"
    "$vconv" batch -q --profile "$profile" --profile-category MP4 -o "$work/two" "$work/a.mp4" "$work/b.mp4"
}
run_ff_two() {
    for f in a b; do
        ffmpeg -nostdin -hide_banner -loglevel error -y -i "$work/$f.mp4" -s 640x480 -r 25 -c:v mpeg4 -b:v 1200k \
            -c:a aac -b:a 128k -ar 44100 -ac 2 -sn -f mp4 "$work/ff_two_$f.mp4" &
    done
    wait
}
run_vc_remux() { "$vconv" convert "$src90" -o "$work/vc_remux.mkv" --copy -q; }
run_ff_remux() { ffmpeg -nostdin -hide_banner -loglevel error -y -i "$src90" -c copy "$work/ff_remux.mkv"; }
run_vc_one() { "$vconv" convert "$work/b40/c01.mp4" -o "$work/one.mp4" -q --profile "$profile" --profile-category MP4; }
run_vc_batch40() {
    rm -rf "$work/out40" && mkdir -p "$work/out40"
    "$vconv" batch -q --profile "$profile" --profile-category MP4 -o "$work/out40" "$work"/b40/*.mp4
}
export -f run_vc_recipe run_ff_recipe run_hb_recipe run_vc_profile run_ff_profile run_vc_filters run_ff_filters \
    run_vc_two run_ff_two run_vc_remux run_ff_remux run_vc_one run_vc_batch40

for name in $cases; do
    case $name in
    recipe)
        if ! command -v HandBrakeCLI >/dev/null && [ "${BENCH_INSTALL:-1}" != 0 ]; then
            echo "Installing handbrake-cli for the comparison ..."
            sudo=""
            [ "$(id -u)" = 0 ] || sudo=sudo
            DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq handbrake-cli >/dev/null
        fi
        who=(vc_recipe ff_recipe)
        command -v HandBrakeCLI >/dev/null && who+=(hb_recipe)
        turns "${who[@]}"
        vs=$(ssim "$work/vc_recipe.mp4" "$src30")
        fs=$(ssim "$work/ff_recipe.mp4" "$src30")
        echo "recipe: 30 s 1080p H.264 -> 720p x264 medium 2500 kbit/s + AAC, no thread option (median of $runs)"
        row "vconv convert (task)" vc_recipe "$vs"
        row "ffmpeg" ff_recipe "$fs"
        line="  ratio    vconv/ffmpeg $(ratio vc_recipe ff_recipe)x (target <= 1.00x)"
        ok="$(ratio vc_recipe ff_recipe) <= 1.00 && ($vs - $fs) > -0.001"
        if command -v HandBrakeCLI >/dev/null; then
            hs=$(ssim "$work/hb_recipe.mp4" "$src30")
            row "HandBrakeCLI" hb_recipe "$hs"
            line+=", vconv/HandBrakeCLI $(ratio vc_recipe hb_recipe)x (target <= 0.95x)"
            ok+=" && $(ratio vc_recipe hb_recipe) <= 0.95"
        else
            line+=", HandBrakeCLI not installed"
        fi
        echo "$line, SSIM vconv-ffmpeg $(awk "BEGIN{printf \"%+.5f\", $vs - $fs}") (target >= -0.001): $(verdict "$ok")"
        ;;
    profile)
        turns vc_profile ff_profile
        echo "profile: 30 s 1080p H.264 -> \"$profile\", no thread option (median of $runs)"
        row "vconv convert --profile" vc_profile "$(ssim "$work/vc_profile.mp4" "$src30")"
        row "ffmpeg (same recipe)" ff_profile "$(ssim "$work/ff_profile.mp4" "$src30")"
        echo "  ratio    vconv/ffmpeg $(ratio vc_profile ff_profile)x"
        ;;
    filters)
        turns vc_filters ff_filters
        echo "filters: 30 s 1080p -> yadif, scale 1280x720, drawtext, x264 medium 2500 kbit/s (median of $runs)"
        row "vconv convert (task)" vc_filters "$(ssim "$work/vc_filters.mp4" "$src30")"
        row "ffmpeg" ff_filters "$(ssim "$work/ff_filters.mp4" "$src30")"
        r=$(ratio vc_filters ff_filters)
        echo "  ratio    vconv/ffmpeg ${r}x (target <= 1.00x): $(verdict "$r <= 1.00")"
        ;;
    two)
        ln -f "$src20" "$work/a.mp4"
        ln -f "$src20" "$work/b.mp4"
        turns vc_two ff_two
        echo "two: 2 x 20 s 1080p -> \"$profile\" at once, no thread option (median of $runs)"
        row "vconv batch (one process)" vc_two
        row "ffmpeg x2 processes" ff_two
        r=$(ratio vc_two ff_two)
        echo "  ratio    vconv/ffmpeg ${r}x (target <= 1.00x): $(verdict "$r <= 1.00")"
        ;;
    remux)
        src90="$cache/remux_1080p_90s.mp4"
        if [ ! -s "$src90" ]; then
            ffmpeg -nostdin -v error -y -stream_loop 1 -i "$source" -t 90 -c copy "$src90.part.mp4"
            mv "$src90.part.mp4" "$src90"
        fi
        export src90
        turns vc_remux ff_remux
        echo "remux: 90 s 1080p H.264+AAC MP4 -> MKV (median of $runs)"
        row "vconv convert --copy (task)" vc_remux
        row "ffmpeg -c copy" ff_remux
        r=$(ratio vc_remux ff_remux)
        echo "  ratio    vconv/ffmpeg ${r}x (target <= 1.15x): $(verdict "$r <= 1.15")"
        ;;
    batch40)
        mkdir -p "$work/b40"
        clip4="$cache/clip_4s.mp4"
        [ -s "$clip4" ] || ffmpeg -nostdin -v error -y -i "$source" -t 4 -c copy "$clip4"
        for i in $(seq -w 1 40); do ln -f "$clip4" "$work/b40/c$i.mp4"; done
        saved=$runs
        runs=1
        turns vc_one vc_batch40
        runs=$saved
        echo "batch40: 40 x 4 s 1080p -> \"$profile\" on 2 slots, against one such conversion alone"
        row "vconv convert (one)" vc_one
        row "vconv batch (40 files)" vc_batch40
        limit=$((2 * M[vc_one] + 50 * 1024))
        echo "  peak     batch $(mb "${M[vc_batch40]}") MB, limit 2 x one + 50 MB = $(mb "$limit") MB:" \
            "$(verdict "${M[vc_batch40]} <= $limit")"
        ;;
    esac
done
