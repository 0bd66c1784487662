#!/usr/bin/env bash
# Installs the Debian packages the desk needs to build, run and be tested;
# only what is missing, so a second run does nothing. With "windows": also
# what the Windows build needs.
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config
    qt6-base-dev libgl-dev clang libclang-rt-dev clang-format clang-tidy
    libsqlite3-dev sqlite3 libsodium-dev
    unixodbc-dev odbc-postgresql tdsodbc postgresql
    xvfb xauth fonts-dejavu-core fonts-dejavu-extra python3 poppler-utils
    debootstrap dpkg-dev file lintian
)

# `install-deps.sh windows`: also what the Windows build, its tests under Wine
# and its installer need (the cross compilers, Wine, NSIS, the tools that
# build libsodium and SQLite from their sources).
if [[ "${1:-}" == windows ]]; then
    packages+=(
        g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix
        wine wine64 nsis autoconf automake libtool tcl
    )
fi

missing=()
for package in "${packages[@]}"; do
    status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
    [[ "$status" == "install ok installed" ]] || missing+=("$package")
done

# The desk reaches SQL Server through the ODBC driver named "FreeTDS"; some
# installs leave it unregistered.
register_freetds() {
    command -v odbcinst >/dev/null || return 0
    odbcinst -q -d -n FreeTDS >/dev/null 2>&1 && return 0
    local library
    library=$(ls /usr/lib/*/odbc/libtdsodbc.so /usr/lib/odbc/libtdsodbc.so 2>/dev/null | head -n 1 || true)
    [[ -n "$library" ]] || return 0
    printf '[FreeTDS]\nDescription=FreeTDS\nDriver=%s\n' "$library" | ${sudo:-} odbcinst -i -d -r >/dev/null
}

if ((${#missing[@]} == 0)); then
    sudo=""
    [[ $(id -u) -eq 0 ]] || sudo="sudo"
    register_freetds
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
register_freetds
