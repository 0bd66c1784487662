#!/usr/bin/env bash
# What the build cannot hold the rooms to (each room's library sees only the
# headers of the rooms it links): an include by a relative path climbing out
# of its folder, and a source file under platform/ outside every room.
set -euo pipefail
cd "$(dirname "$0")/.."

faults=0
while IFS= read -r line; do
    echo "relative include: $line"
    faults=$((faults + 1))
done < <(git grep -nE '^[[:space:]]*#[[:space:]]*include[[:space:]]*["<][^">]*\.\./' -- '*.cpp' '*.h' || true)

# The db room itself is the files at the top of platform/db/.
rooms='^platform/(runtime|ui|os|db/access|db/sql|db/sqlite|db/odbc)/|^platform/db/[^/]*$'
while IFS= read -r file; do
    echo "outside every room: $file"
    faults=$((faults + 1))
done < <(git ls-files 'platform/*.cpp' 'platform/*.h' | grep -vE "$rooms" || true)

if ((faults > 0)); then
    echo "$faults fault(s) in the rooms' includes"
    exit 1
fi
echo "no include climbs out of its room; every platform file is in a room"
