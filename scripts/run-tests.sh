#!/usr/bin/env bash
# Runs every test of a build tree against a real PostgreSQL server of its own;
# non-zero on any failure.
set -euo pipefail
build=${1:-build}
export QT_QPA_PLATFORM=offscreen

here=$(cd "$(dirname "$0")" && pwd)
# The server goes whatever the outcome; without it the PostgreSQL tests skip.
trap '"$here/postgres-test-server.sh" stop "$build"' EXIT
if server_env=$("$here/postgres-test-server.sh" start "$build"); then
    eval "$server_env"
    echo "PostgreSQL test server on $VELUNAS_PG_HOST:$VELUNAS_PG_PORT"
else
    echo "PostgreSQL could not be started: its integration tests will skip." >&2
fi

ctest --test-dir "$build" --output-on-failure -j "$(nproc)"
