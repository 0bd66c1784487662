#!/usr/bin/env bash
# Proves the Windows installer under Wine, in a fresh prefix of its own: a
# silent install, the folders, registers and key it makes, the installed desk
# keeping its window up, the password tool, the organisers' report and an
# undo, and an uninstall that keeps the site's data. Usage: windows-installer-test.sh [BUILD]
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build-windows}" && pwd)
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
setup=$build/Velunas-Setup-$version.exe
export WINEPREFIX=$build/wine-prefix-installer WINEARCH=win64 WINEDEBUG=-all
# Wine makes Unix file names through the locale's character set: under a bare
# C locale (a fresh container) no accented name could be made.
export LC_ALL=C.UTF-8
desk_pid=""

stop_wine() {
    [[ -n "$desk_pid" ]] && kill "$desk_pid" 2>/dev/null
    wineserver -k 2>/dev/null || true
}
trap stop_wine EXIT
stop_wine
rm -rf "$WINEPREFIX"
WINEDLLOVERRIDES="mscoree,mshtml=" wineboot --init >/dev/null 2>&1
wineserver --wait

drive_c=$WINEPREFIX/drive_c
program=$drive_c/Program\ Files/Velunas
data=$drive_c/ProgramData
passes=0 failures=0
check() {
    local what=$1
    shift
    if "$@"; then echo "ok: $what"; passes=$((passes + 1)); else echo "FAILED: $what"; failures=$((failures + 1)); fi
}

wine "$setup" /S
wineserver --wait
check "the desk installed as Velunas.exe" test -f "$program/Velunas.exe"
check "the Windows platform plugin installed" test -f "$program/platforms/qwindows.dll"
check "the shadow file made" test -f "$data/ZEFA Software/RegShadow.db"
check "the log made" test -f "$data/Velunas/errors.log"
check "the registers made" test -s "$data/Velunas/data/haldor.db" -a -s "$data/Velunas/data/mirva.db"
check "the protected key made" test -s "$data/Quorvane/Velunas/machine.key"
shortcut=$data/Microsoft/Windows/Start\ Menu/Programs/Velunas.lnk
check "the Start-menu entry made" test -f "$shortcut"
# The link keeps its working folder as a text of its own (UTF-16).
check "the Start-menu entry starts in the program's folder" \
    bash -c 'strings -el "$1" | grep -qx "C:.Program Files.Velunas"' - "$shortcut"
check "the notices of the carried font installed" grep -q "Bitstream Vera" "$program/copyright.txt"

sealed=$(printf 'segredo\n' | wine "$program/encipher_password.exe" 2>/dev/null | tr -d '\r')
check "the password tool enciphers under the key" test "${sealed:0:3}" = "v2:"

# The organisers' report and an undo on the installed registers, with one
# delivery written as a desk writes it.
report=$program/velunas-report.exe
sqlite3 "$data/Velunas/data/haldor.db" "INSERT INTO tbVelunas (socio_id, base_dados, data, convite_no, no_tap, nome,
    empresa, email) VALUES (101, 1, '2026-12-12 10:15:00', 1, '7001', 'João D''Ávila', 'Café Central', NULL)"
WINEQT_QPA_PLATFORM=offscreen WINEQT_QPA_FONTDIR='Z:\usr\share\fonts\truetype\dejavu' \
    wine "$report" --csv 'C:\ProgramData\entregas.csv' --pdf 'C:\ProgramData\resumo.pdf' >"$build/installed-report.log" 2>&1 || true
check "the report writes the CSV" grep -q "^1;12-12-2026 10:15;desconhecida;7001;João D'Ávila;Café Central;" "$data/entregas.csv"
check "the report writes the PDF page" test "$(head -c 5 "$data/resumo.pdf" 2>/dev/null)" = "%PDF-"
if command -v pdftotext >/dev/null; then
    check "the PDF page reads as the summary" grep -q "Total de convites entregues" <(pdftotext "$data/resumo.pdf" - 2>/dev/null)
fi
wine "$report" --undo 1 --reason "Engano" >"$build/installed-undo.log" 2>&1 || true
check "the undo keeps the number and matches no member" \
    test "$(sqlite3 "$data/Velunas/data/haldor.db" "SELECT socio_id, base_dados, convite_no FROM tbVelunas")" = "-1|0|1"
check "the undo keeps the record" \
    test "$(sqlite3 "$data/Velunas/data/haldor.db" "SELECT convite_no, socio_id, motivo FROM tbAnulacoes")" = "1|101|Engano"
status=0
wine "$report" --undo 1 --reason "De novo" >>"$build/installed-undo.log" 2>&1 || status=$?
check "a second undo of the number is refused" test "$status" = 1

# The installed desk, as a person starts it, must stay up.
WINEQT_QPA_PLATFORM=offscreen wine "$program/Velunas.exe" >"$build/installed-desk.log" 2>&1 &
desk_pid=$!
sleep 8
check "the installed desk keeps its window up" kill -0 "$desk_pid"
kill "$desk_pid" 2>/dev/null || true
wait "$desk_pid" 2>/dev/null || true
desk_pid=""

# In place (_?=), so the uninstaller is waited for.
wine "$program/Uninstall.exe" /S "_?=C:\\Program Files\\Velunas"
wineserver --wait
rm -f "$program/Uninstall.exe"
check "the uninstall removes the program" test ! -e "$program"
check "the uninstall removes the Start-menu entry" test ! -e "$data/Microsoft/Windows/Start Menu/Programs/Velunas.lnk"
check "the uninstall keeps the deliveries" test -s "$data/Velunas/data/haldor.db"
check "the uninstall keeps the settings and key" test -f "$data/ZEFA Software/RegShadow.db" -a -s "$data/Quorvane/Velunas/machine.key"

echo "installer: $passes passed, $failures failed"
((failures == 0))
