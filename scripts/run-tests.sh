#!/usr/bin/env bash
# Runs every test of a build tree; non-zero on any failure.
set -euo pipefail
build=${1:-build}
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$build" --output-on-failure -j "$(nproc)"
