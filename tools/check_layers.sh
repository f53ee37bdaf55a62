#!/usr/bin/env bash
# Fails when a source file includes a header of a higher layer, or when one front end includes the
# other's. The layers, lowest first: platform, engine, model, store, tasks, and the two front ends
# gui and cli side by side on top. Usage:
# check_layers.sh [SOURCE_DIR] (default: the repository root).
set -euo pipefail
root=${1:-$(cd "$(dirname "$0")/.." && pwd)}
rank() {
    case $1 in
    platform) echo 0 ;; engine) echo 1 ;; model) echo 2 ;; store) echo 3 ;; tasks) echo 4 ;;
    gui | cli) echo 5 ;; *) echo -1 ;;
    esac
}
bad=0
while IFS= read -r file; do
    layer=${file#"$root"/src/}
    layer=${layer%%/*}
    own=$(rank "$layer")
    while IFS=: read -r line target; do
        used=${target%%/*}
        theirs=$(rank "$used")
        [ "$theirs" -lt 0 ] && continue
        if [ "$theirs" -gt "$own" ]; then
            echo "${file#"$root"/}:$line: the $layer layer includes \"$target\" of the $used layer above it"
            bad=1
        elif [ "$theirs" -eq 5 ] && [ "$used" != "$layer" ]; then
            echo "${file#"$root"/}:$line: the $layer front end includes \"$target\" of the $used front end beside it"
            bad=1
        fi
    done < <(grep -n -o -E '^[[:space:]]*#[[:space:]]*include[[:space:]]*"[^"]+"' "$file" |
        sed -E 's/^([0-9]+):.*"([^"]+)"/\1:\2/')
done < <(find "$root/src" -name '*.cpp' -o -name '*.h' | sort)
exit $bad
