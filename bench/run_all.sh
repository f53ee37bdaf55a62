#!/usr/bin/env bash
# Runs every benchmark of bench/ against the given build folder.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${1:-build}
shopt -s nullglob
for b in "$here"/bench_*.sh; do
    echo "== $(basename "$b")"
    "$b" "$build"
done
