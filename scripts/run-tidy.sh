#!/usr/bin/env bash
# clang-tidy with the checks of .clang-tidy over the sources the build
# compiles here (the system's own, its tools and benchmark, the tests); any
# finding fails.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
tidy=$(command -v clang-tidy-14 || command -v clang-tidy)

mapfile -t sources < <(git ls-files '*.cpp' | while read -r file; do
    grep -q "\"file\": \"$PWD/$file\"" "$build/compile_commands.json" && echo "$file"
done)
echo "clang-tidy over ${#sources[@]} files"
printf '%s\n' "${sources[@]}" |
    xargs -P "$(nproc)" -n 4 "$tidy" -p "$build" --quiet 2> >(grep -v 'warnings generated\|^Suppressed\|^Use -header-filter' >&2)
echo "clang-tidy: no findings"
