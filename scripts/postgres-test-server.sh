#!/usr/bin/env bash
# A throw-away PostgreSQL server for the tests, on loopback and a free port.
#   postgres-test-server.sh start BUILD_DIR   prints "export VELUNAS_PG_...=..." lines
#   postgres-test-server.sh stop BUILD_DIR
# The server refuses to run as root, so as root it runs as the "postgres" user.
set -euo pipefail
action=$1
build=$(cd "${2:-build}" && pwd)
schema=$(cd "$(dirname "$0")/.." && pwd)/schema/postgresql.sql
state="$build/postgres-server.env"

bindir=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)
if [[ -z "$bindir" ]]; then
    echo "postgres-test-server: no PostgreSQL server installed" >&2
    exit 1
fi

as_owner() {
    if [[ $(id -u) -eq 0 ]]; then
        runuser -u postgres -- "$@"
    else
        "$@"
    fi
}

if [[ "$action" == stop ]]; then
    [[ -f "$state" ]] || exit 0
    # shellcheck disable=SC1090
    source "$state"
    as_owner "$bindir/pg_ctl" -D "$VELUNAS_PG_DATA/data" -m fast -w stop >/dev/null 2>&1 || true
    rm -rf "$VELUNAS_PG_DATA" "$state"
    exit 0
fi

# Under the build tree when the server's user can reach it; a temporary folder otherwise.
root="$build/postgres"
rm -rf "$root"
mkdir -p "$root"
if [[ $(id -u) -eq 0 ]]; then
    chown postgres: "$root"
    if ! runuser -u postgres -- test -w "$root"; then
        rm -rf "$root"
        root=$(mktemp -d /tmp/velunas-postgres.XXXXXX)
        chown postgres: "$root"
    fi
fi

port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
password=$(python3 -c 'import secrets; print(secrets.token_hex(12))')

as_owner "$bindir/initdb" -D "$root/data" -U postgres -E UTF8 --locale=C.UTF-8 \
    --auth-local=trust --auth-host=scram-sha-256 >"$root/initdb.log" 2>&1
as_owner "$bindir/pg_ctl" -D "$root/data" -l "$root/server.log" -w \
    -o "-c listen_addresses=127.0.0.1 -p $port -k $root -c fsync=off -c max_connections=60" start >/dev/null

cat >"$state" <<STATE
VELUNAS_PG_DATA=$root
STATE

psql_admin() { "$bindir/psql" -X -q -v ON_ERROR_STOP=1 -h "$root" -p "$port" -U postgres "$@"; }
psql_admin -d postgres -c "CREATE ROLE velunas LOGIN CREATEDB PASSWORD '$password'" \
    -c "CREATE DATABASE velunas_template OWNER velunas"
PGPASSWORD=$password "$bindir/psql" -X -q -v ON_ERROR_STOP=1 -h 127.0.0.1 -p "$port" -U velunas \
    -d velunas_template -f "$schema" >/dev/null

cat <<ENV
export VELUNAS_PG_HOST=127.0.0.1
export VELUNAS_PG_PORT=$port
export VELUNAS_PG_USER=velunas
export VELUNAS_PG_PASSWORD=$password
export VELUNAS_PG_TEMPLATE=velunas_template
ENV
