#!/usr/bin/env bash
# Starts one Windows program of a build under Wine, in that build's own Wine
# prefix (made on first use, reporting Windows 10); ctest starts every test
# through it. Usage: windows-wine.sh BUILD_DIR PROGRAM [ARGUMENT...]
set -euo pipefail

build=$(cd "$1" && pwd)
shift
export WINEPREFIX=${WINEPREFIX:-$build/wine-prefix}
export WINEARCH=win64 WINEDEBUG=${WINEDEBUG:--all}
# Wine makes Unix file names through the locale's character set: under a bare
# C locale (a fresh container) no accented name could be made.
export LC_ALL=C.UTF-8

# A unix path as Wine's drive Z: sees it.
windows_path() { local path=${1//\//\\}; printf 'Z:%s' "$path"; }

if [[ ! -f "$WINEPREFIX/.ready" ]]; then
    exec 9>"$build/wine-prefix.lock"
    flock 9
    if [[ ! -f "$WINEPREFIX/.ready" ]]; then
        rm -rf "$WINEPREFIX"
        # No Mono or Gecko: their install dialogs would wait for a display.
        WINEDLLOVERRIDES="mscoree,mshtml=" wineboot --init >/dev/null 2>&1
        wine reg add 'HKCU\Software\Wine' /v Version /d win10 /f >/dev/null 2>&1
        wineserver --wait
        touch "$WINEPREFIX/.ready"
    fi
    exec 9>&-
fi

dll_path=""
while IFS= read -r dir; do
    [[ -n "$dir" ]] && dll_path+="${dll_path:+;}$(windows_path "$dir")"
done <"$build/windows-dll-dirs.txt"
export WINEPATH="$dll_path"

# Wine hands no QT_ variable to the program, but hands WINEQT_X to it as QT_X.
while IFS= read -r name; do
    export "WINE$name=${!name}"
done < <(compgen -e | grep '^QT_' || true)
export WINEQT_FORCE_STDERR_LOGGING=1
# Qt's offscreen platform on Windows reads fonts from a folder, not the system.
export WINEQT_QPA_FONTDIR=${WINEQT_QPA_FONTDIR:-$(windows_path /usr/share/fonts/truetype/dejavu)}
[[ -n "${VELUNAS_BIN_DIR:-}" ]] && export VELUNAS_BIN_DIR="$(windows_path "$VELUNAS_BIN_DIR")"

# Helpers Wine starts beside the program (a console host for each console
# child) outlive it holding its output: given the test runner's pipe, they
# would keep it waiting. So the output goes through a file of its own.
output=$(mktemp)
status=0
wine "$@" >"$output" 2>&1 </dev/null || status=$?
cat "$output"
rm -f "$output"
exit "$status"
