#!/bin/sh
# Formats every C++ file of the project with clang-format (.clang-format at the root);
# with --check, changes nothing and fails naming the files that differ from it.
set -eu
cd "$(dirname "$0")/.."
files=$(git ls-files '*.cpp' '*.h')
if [ "${1:-}" = "--check" ]; then
  bad=""
  for f in $files; do
    clang-format --dry-run -Werror "$f" >/dev/null 2>&1 || bad="$bad $f"
  done
  if [ -n "$bad" ]; then
    echo "Not formatted as .clang-format says (run sh scripts/format.sh):" >&2
    for f in $bad; do echo "  $f" >&2; done
    exit 1
  fi
  exit 0
fi
# shellcheck disable=SC2086
clang-format -i $files
