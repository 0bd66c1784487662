#!/usr/bin/env bash
# Builds, once, the Windows libraries the desk links: Qt (Core, Gui, Widgets,
# Test), libsodium and SQLite, each from Debian's source package, into a cache
# outside the work tree. Each is kept under a key of its source version, its
# options, the toolchain file and the compiler, so a change to any rebuilds it.
# Prints the CMake list of the three install folders on its last line.
# Usage: windows-deps.sh [qt|sodium|sqlite]...
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
cache=${VELUNAS_WINDOWS_CACHE:-/var/cache/velunas-windows}
toolchain=$root/cmake/mingw-w64-x86_64.cmake
jobs=${JOBS:-$(nproc)}
host=x86_64-w64-mingw32
mkdir -p "$cache/src"

compiler="$($host-g++-posix --version | head -n 1) $($host-gcc-posix -dumpfullversion)"
toolchain_hash=$(sha256sum "$toolchain" | cut -d' ' -f1)
cache_key() { printf '%s\n' "$@" "$compiler" "$toolchain_hash" | sha256sum | cut -c1-16; }
source_version() { (cd "$1" && dpkg-parsechangelog -S Version); }
log() { echo "windows-deps: $*" >&2; }

qt_options=(
    -release -shared -nomake examples -nomake tests
    -no-feature-tabletevent -no-feature-directwrite3 -no-direct2d
    -no-opengl -no-dbus -no-icu -no-feature-sql -no-feature-network -no-feature-xml
    -no-feature-printsupport -no-feature-concurrent -no-feature-jpeg
    -qt-zlib -qt-pcre -qt-libpng -qt-harfbuzz -qt-freetype -qt-doubleconversion
)

# Builds one part into the cache unless it is there already; prints its
# install folder. The builder gets the source, a scratch folder and the
# install folder, and its output goes to standard error.
cached_build() {
    local name=$1 package=$2 builder=$3
    shift 3
    local src version prefix work
    src=$("$root/scripts/windows-sources.sh" "$package" "$cache/src")
    version=$(source_version "$src")
    prefix="$cache/$name-$(cache_key "$version" "$@")"
    if [[ -f "$prefix/.complete" ]]; then echo "$prefix"; return; fi
    log "building $package $version for Windows into $prefix"
    work="$cache/work/$name"
    rm -rf "$work" "$prefix"
    VERSION=$version "$builder" "$src" "$work" "$prefix" >&2
    rm -rf "$work"
    touch "$prefix/.complete"
    echo "$prefix"
}

qt_builder() {
    local src=$1 work=$2 prefix=$3
    log "(Qt is long: about 20 minutes on 2 cores)"
    mkdir -p "$work"
    (cd "$work" && nice -n 15 "$src/configure" -prefix "$prefix" -qt-host-path /usr "${qt_options[@]}" \
        -- -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake)
    nice -n 15 cmake --build "$work" --parallel "$jobs"
    cmake --install "$work"
}

sodium_builder() {
    local src=$1 work=$2 prefix=$3
    cp -a "$src" "$work"
    (cd "$work" && nice -n 15 ./autogen.sh -s && nice -n 15 ./configure --host=$host \
        CC=$host-gcc-posix --prefix="$prefix" --disable-static --disable-dependency-tracking -q \
        && nice -n 15 make -s -j "$jobs" && make -s install)
}

# SQLite's amalgamation is made natively, then compiled once for Windows.
sqlite_flags=(-O2 -DSQLITE_ENABLE_FTS5 -DSQLITE_THREADSAFE=1 -DSQLITE_ENABLE_COLUMN_METADATA
    "-DSQLITE_API=__declspec(dllexport)")

sqlite_builder() {
    local src=$1 work=$2 prefix=$3
    mkdir -p "$work" "$prefix/bin" "$prefix/lib/pkgconfig" "$prefix/include"
    (cd "$work" && nice -n 15 "$src/configure" -q --disable-tcl >/dev/null && nice -n 15 make -s sqlite3.c)
    nice -n 15 $host-gcc-posix "${sqlite_flags[@]}" -shared -o "$prefix/bin/libsqlite3-0.dll" \
        "$work/sqlite3.c" -Wl,--out-implib,"$prefix/lib/libsqlite3.dll.a"
    cp "$work/sqlite3.h" "$work/sqlite3ext.h" "$prefix/include/"
    cat >"$prefix/lib/pkgconfig/sqlite3.pc" <<PC
prefix=$prefix
Name: SQLite
Description: SQL database engine
Version: ${VERSION%%-*}
Libs: -L\${prefix}/lib -lsqlite3
Cflags: -I\${prefix}/include
PC
}

build_qt() { cached_build qt qt6-base qt_builder "${qt_options[@]}"; }
build_sodium() { cached_build sodium libsodium sodium_builder "--host=$host" --disable-static; }
build_sqlite() { cached_build sqlite sqlite3 sqlite_builder "${sqlite_flags[@]}"; }

# With names (qt, sodium, sqlite) only those are built, e.g. to start Qt early.
if (($#)); then
    for part in "$@"; do "build_$part"; done
    exit 0
fi
qt=$(build_qt)
sodium=$(build_sodium)
sqlite=$(build_sqlite)
echo "$qt;$sodium;$sqlite"
