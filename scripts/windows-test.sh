#!/usr/bin/env bash
# Runs the Windows build's tests under Wine, in a fresh Wine prefix of the
# build's own; the Wine server is shut down at the end, however the run ends.
# Usage: windows-test.sh [BUILD]
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build-windows}" && pwd)
export WINEPREFIX=$build/wine-prefix WINEDEBUG=-all

stop_wine() { wineserver -k 2>/dev/null || true; }
trap stop_wine EXIT
stop_wine
rm -rf "$WINEPREFIX"
echo "$(wine --version) on $(uname -sm); the prefix reports: $("$root/scripts/windows-wine.sh" "$build" cmd /c ver | tr -d '\r' | grep .)"

nice -n 15 ctest --test-dir "$build" --output-on-failure --parallel "${JOBS:-$(nproc)}"
