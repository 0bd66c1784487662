#!/usr/bin/env bash
# Installs the Debian packages the desk needs to build, run and be tested;
# only what is missing, so a second run does nothing.
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config
    qt6-base-dev libgl-dev
    libsqlite3-dev sqlite3 libsodium-dev
    unixodbc-dev odbc-postgresql tdsodbc postgresql
    xvfb xauth fonts-dejavu-core fonts-dejavu-extra python3
)

missing=()
for package in "${packages[@]}"; do
    status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
    [[ "$status" == "install ok installed" ]] || missing+=("$package")
done

if ((${#missing[@]} == 0)); then
    exit 0
fi

echo "Installing: ${missing[*]}"
sudo=""
if [[ $(id -u) -ne 0 ]]; then
    sudo="sudo"
fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
