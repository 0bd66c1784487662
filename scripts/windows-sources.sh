#!/usr/bin/env bash
# Unpacks one of Debian's source packages into the Windows cache, through the
# project's own source list: the machine's apt configuration is not touched.
# Usage: windows-sources.sh PACKAGE DEST_DIR   (prints the unpacked folder)
set -euo pipefail

package=$1
dest=$2
here=$(cd "$(dirname "$0")" && pwd)
cache=${VELUNAS_WINDOWS_CACHE:-/var/cache/velunas-windows}
state="$cache/apt"
mkdir -p "$state/lists/partial" "$dest"

apt_options=(
    -o "Dir::Etc::SourceList=$here/debian-sources.list"
    -o Dir::Etc::SourceParts=/dev/null
    -o "Dir::State::Lists=$state/lists"
    -o "Dir::Cache=$state/cache"
    -o APT::Sandbox::User=root
)

existing=$(find "$dest" -mindepth 1 -maxdepth 1 -type d -name "${package}-*" | head -n 1)
if [[ -n "$existing" ]]; then
    echo "$existing"
    exit 0
fi

# The lists are refreshed once a day at most.
if [[ -z "$(find "$state/lists" -name '*Sources*' -mtime -1 2>/dev/null | head -n 1)" ]]; then
    apt-get "${apt_options[@]}" update -qq >&2
fi
(cd "$dest" && apt-get "${apt_options[@]}" source -qq "$package" >&2)
find "$dest" -mindepth 1 -maxdepth 1 -type d -name "${package}-*" | head -n 1
