#!/usr/bin/env bash
# Builds the desk for Windows: the cached Windows libraries (scripts/windows-deps.sh),
# then the whole project cross-compiled with mingw-w64 into BUILD (build-windows).
# The built-in embedded registers are those the installer makes in the common
# application-data folder.
# Usage: windows-build.sh [BUILD]
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build-windows}
jobs=${JOBS:-$(nproc)}

prefixes=$("$root/scripts/windows-deps.sh" | tail -n 1)

launcher=()
if command -v ccache >/dev/null; then
    export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$root} CCACHE_NOHASHDIR=1
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi

cmake -S "$root" -B "$build" -G Ninja --log-level=WARNING \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
    -DCMAKE_BUILD_TYPE=Release \
    -DVELUNAS_DEMO_DIR=C:/ProgramData/Velunas/data \
    -DVELUNAS_WINDOWS_PREFIXES="$prefixes" \
    -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
    "${launcher[@]}"
nice -n 15 cmake --build "$build" --parallel "$jobs"
