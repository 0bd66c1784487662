#!/usr/bin/env bash
# Runs the benchmark of a build tree, with a PostgreSQL server of its own for
# the PostgreSQL rows when one can be started (they are left out otherwise).
set -euo pipefail
build=${1:-build}
shift || true
export QT_QPA_PLATFORM=offscreen

here=$(cd "$(dirname "$0")" && pwd)
trap '"$here/postgres-test-server.sh" stop "$build"' EXIT
if server_env=$("$here/postgres-test-server.sh" start "$build"); then
    eval "$server_env"
else
    echo "PostgreSQL could not be started: its benchmark rows are left out." >&2
fi

"$build/bin/desk_benchmark" "$@"
"$build/bin/import_benchmark" "$@"
