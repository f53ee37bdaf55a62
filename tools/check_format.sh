#!/usr/bin/env bash
# Fails when clang-format (the style of .clang-format) would change a C++ file of the
# repository, and names the files. Usage: check_format.sh [SOURCE_DIR] (default: the repository
# root). Fix with: clang-format -i FILE...
set -euo pipefail
root=${1:-$(cd "$(dirname "$0")/.." && pwd)}
command -v clang-format >/dev/null || { echo "check_format: clang-format is missing (make deps)" >&2; exit 1; }
cd "$root"
bad=0
while IFS= read -r -d '' file; do
    if ! clang-format --dry-run --Werror "$file" >/dev/null 2>&1; then
        echo "$file: not formatted (clang-format -i $file)"
        bad=1
    fi
done < <(git ls-files -z --cached --others --exclude-standard -- '*.cpp' '*.h' 2>/dev/null ||
    find src tests bench fuzz \( -name '*.cpp' -o -name '*.h' \) -print0)
exit $bad
