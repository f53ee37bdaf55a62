#!/usr/bin/env bash
# `vconv history` on a category of ROWS finished tasks (default 100,000) made directly in SQLite
# from one real conversion's stored row: wall time, CPU time and peak memory of the listing.
# Usage: bench_history_listing.sh [BUILD_DIR] [ROWS]
set -euo pipefail
bench=bench_history_listing
build=${1:-build}
rows=${2:-100000}
vconv="$build/src/cli/vconv"
[ -x "$vconv" ] || { echo "$bench: $vconv not built" >&2; exit 1; }
command -v sqlite3 >/dev/null || { echo "$bench: sqlite3 missing (Debian package 'sqlite3')" >&2; exit 1; }
[ -x /usr/bin/time ] || { echo "$bench: /usr/bin/time missing (Debian package 'time')" >&2; exit 1; }

work=$(mktemp -d /tmp/vconv-bench.XXXXXX)
trap '[ -n "${KEEP_WORK:-}" ] || rm -rf "$work"' EXIT
export XDG_DATA_HOME="$work/data" VCONV_SLOT_POOL="vc-bench-history-$$"
ffmpeg -nostdin -hide_banner -loglevel error -y -f lavfi -i "testsrc=size=160x120:rate=25:duration=1" \
    -c:v libx264 -preset ultrafast "$work/clip.mp4"
"$vconv" convert "$work/clip.mp4" --copy -o "$work/clip.mkv" >/dev/null 2>&1
store="$XDG_DATA_HOME/Quorvane/VideoConverterCHS/av.cfg"
# The one real row, copied with dates a second apart (newest first is then the reverse of ID).
sqlite3 "$store" <<SQL
WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < $rows - 1)
INSERT INTO Conversions (Converting, ConvertSettings, ConvertedDate, CategoryId, Log)
SELECT 0, c.ConvertSettings, strftime('%Y-%m-%dT%H:%M:%fZ', '2020-01-01', '+' || n.i || ' seconds'), 1, c.Log
FROM n, (SELECT * FROM Conversions LIMIT 1) AS c;
SQL
count=$(sqlite3 "$store" "SELECT COUNT(*) FROM Conversions WHERE Converting = 0 AND CategoryId = 1")
bytes=$(sqlite3 "$store" "SELECT length(ConvertSettings) + length(Log) FROM Conversions LIMIT 1")

/usr/bin/time -v -o "$work/time.log" "$vconv" history >"$work/out.txt" 2>"$work/err.txt" || {
    cat "$work/err.txt" >&2
    exit 1
}
listed=$(($(wc -l <"$work/out.txt") - 1))
awk -F': ' -v rows="$count" -v listed="$listed" -v bytes="$bytes" '
    /Elapsed \(wall clock\)/ { n = split($2, p, ":"); w = 0; for (i = 1; i <= n; i++) w = w * 60 + p[i] }
    /User time/ { u = $2 } /System time/ { s = $2 } /Maximum resident/ { m = $2 }
    END {
        printf "vconv history: %d rows in the category (%d bytes of request and log each), %d listed\n", rows, bytes, listed
        printf "  wall %.3f s, cpu %.3f s, peak memory %.1f MB (target: at most 1 s and 100 MB)\n", w, u + s, m / 1024
    }' "$work/time.log"
