#!/usr/bin/env bash
# Creates the embedded demo databases when they are missing.
set -euo pipefail
build=${1:-build}
if [[ -x "$build/bin/make_demo" ]]; then
    "$build/bin/make_demo"
fi
