#!/usr/bin/env bash
# Lists our C and C++ sources that clang-format (with the tree's .clang-format)
# would change, and fails when there is any. Only files git tracks are read:
# the fetched third-party headers and the generated files live in build trees.
set -euo pipefail
cd "$(dirname "$0")/.."

if ! command -v clang-format >/dev/null; then
  echo "check-format: clang-format is not installed (scripts/install-deps.sh installs it)" >&2
  exit 2
fi

unformatted=()
count=0
while IFS= read -r -d '' file; do
  count=$((count + 1))
  clang-format --dry-run --Werror "$file" >/dev/null 2>&1 || unformatted+=("$file")
done < <(git ls-files -z -- '*.c' '*.cc' '*.cpp' '*.h' '*.hpp')

if ((${#unformatted[@]})); then
  echo "check-format: ${#unformatted[@]} of $count files are not formatted (fix with clang-format -i FILE):" >&2
  printf '  %s\n' "${unformatted[@]}" >&2
  exit 1
fi
echo "check-format: all $count files are formatted"
