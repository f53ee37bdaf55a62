#!/usr/bin/env bash
# Time per stored conversion request written and read back (target: under 50 us each).
set -euo pipefail
build=${1:-build}
cmake --build "$build" --target bench_xml_persistence >/dev/null
"$build/bench/bench_xml_persistence"
