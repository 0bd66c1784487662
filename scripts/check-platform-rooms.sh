#!/usr/bin/env bash
# Holds platform/ to its rooms (platform/README.md): every file lives in a
# room, and a room includes only itself and the rooms it may use.
set -euo pipefail
platform=$(cd "$(dirname "$0")/../platform" && pwd)

declare -A may=(
    [runtime]="runtime"
    [ui]="runtime ui"
    [os]="runtime os"
    [db/access]="runtime db/access"
    [db/sql]="runtime db/access db/sql"
    [db/sqlite]="runtime db/access db/sql db/sqlite"
    [db/odbc]="runtime db/access db/sql db/odbc"
)

# The room of a path below platform/: db's rooms are one level deeper.
room_of() {
    local path=$1
    if [[ $path == db/*/* ]]; then
        path=${path#db/}
        echo "db/${path%%/*}"
    else
        echo "${path%%/*}"
    fi
}

faults=0
while IFS= read -r file; do
    relative=${file#"$platform"/}
    case $relative in
    README.md | CMakeLists.txt | db/README.md | db/ProviderRegistry.cpp) continue ;;
    esac
    room=$(room_of "$relative")
    if [[ -z ${may[$room]+set} ]]; then
        echo "outside every room: platform/$relative"
        faults=$((faults + 1))
        continue
    fi
    while IFS= read -r included; do
        used=$(room_of "$included")
        if [[ " ${may[$room]} " != *" $used "* ]]; then
            echo "platform/$relative ($room) uses platform/$included ($used)"
            faults=$((faults + 1))
        fi
    done < <(sed -n 's/^#include "platform\/\([^"]*\)".*/\1/p' "$file")
done < <(find "$platform" -type f)

if ((faults > 0)); then
    echo "$faults fault(s) in the rooms of platform/"
    exit 1
fi
echo "platform/: every file in its room, every include pointing down"
