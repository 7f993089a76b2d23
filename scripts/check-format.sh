#!/usr/bin/env bash
# Checks that every C++ source the repository tracks is formatted as
# .clang-format says; with --fix, formats them in place.
set -euo pipefail
cd "$(dirname "$0")/.."
format=$(command -v clang-format-14 || command -v clang-format || true)
if [ -z "$format" ]; then
  echo "check-format: clang-format is not installed (apt-get install clang-format)" >&2
  exit 2
fi
mapfile -t files < <(git ls-files -co --exclude-standard -- '*.cpp' '*.h' ':!:tests/data/**')
if [ "${1:-}" = --fix ]; then
  "$format" -i "${files[@]}"
  exit 0
fi
if "$format" --dry-run --Werror "${files[@]}" 2>/tmp/check-format.$$; then
  rm -f /tmp/check-format.$$
  echo "format: ${#files[@]} files as .clang-format says"
else
  grep -E '^[^ ].*: error:' /tmp/check-format.$$ | cut -d: -f1 | sort -u | sed 's/^/format: not formatted: /'
  rm -f /tmp/check-format.$$
  echo "format: run scripts/check-format.sh --fix" >&2
  exit 1
fi
