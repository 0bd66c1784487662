#!/usr/bin/env bash
# Builds the Windows installer BUILD/Velunas-Setup-<version>.exe with NSIS:
# the desk, the password and import tools, the organisers' report
# (velunas-report.exe), and every DLL they load (Qt and its
# platform and style plugins, libsodium, SQLite, the compiler's runtime),
# found by reading the programs' imports. Usage: windows-installer.sh [BUILD]
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build-windows}" && pwd)
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
stage=$build/installer/files
lists=$build/installer
mapfile -t dll_dirs <"$build/windows-dll-dirs.txt"

qt_bin=""
for dir in "${dll_dirs[@]}"; do [[ -f "$dir/Qt6Core.dll" ]] && qt_bin=$dir; done
[[ -n "$qt_bin" ]] || { echo "windows-installer: no Qt6Core.dll in $build/windows-dll-dirs.txt" >&2; exit 1; }

rm -rf "$lists"
mkdir -p "$stage/platforms" "$stage/styles"
cp "$build/bin/Velunas.exe" "$build/bin/encipher_password.exe" "$build/bin/import_members.exe" "$stage/"
# The notices of what the program carries (its face, DejaVu Sans Condensed, among them).
sed 's/$/\r/' "$root/packaging/copyright" >"$stage/copyright.txt"
cp "$build/bin/report.exe" "$stage/velunas-report.exe"
cp "$qt_bin/../plugins/platforms/qwindows.dll" "$qt_bin/../plugins/platforms/qoffscreen.dll" "$stage/platforms/"
cp "$qt_bin"/../plugins/styles/*.dll "$stage/styles/"

# Every DLL a staged file imports that is not part of Windows, and theirs.
imports() { x86_64-w64-mingw32-objdump -p "$1" | sed -n 's/^\s*DLL Name: //p'; }
pending=("$stage"/*.exe "$stage"/*/*.dll)
while ((${#pending[@]})); do
    file=${pending[0]}
    pending=("${pending[@]:1}")
    while IFS= read -r dll; do
        [[ -f "$stage/$dll" ]] && continue
        for dir in "${dll_dirs[@]}"; do
            if [[ -f "$dir/$dll" ]]; then
                cp "$dir/$dll" "$stage/"
                pending+=("$stage/$dll")
                break
            fi
        done
    done < <(imports "$file")
done

# The file lists: install each, and the uninstaller removes exactly those.
(
    cd "$stage"
    find . -type d | sort | sed 's|^\./\?||' | while IFS= read -r dir; do
        echo "SetOutPath \"\$INSTDIR${dir:+\\${dir//\//\\}}\""
        find "./$dir" -maxdepth 1 -type f | sort | while IFS= read -r file; do
            echo "File \"$stage/${file#./}\""
        done
    done >"$lists/install-files.nsh"
    find . -type f | sort | sed 's|^\./||; s|/|\\|g; s|.*|Delete "$INSTDIR\\&"|' >"$lists/uninstall-files.nsh"
    find . -mindepth 1 -type d | sort -r | sed 's|^\./||; s|/|\\|g; s|.*|RMDir "$INSTDIR\\&"|' >>"$lists/uninstall-files.nsh"
)

out=$build/Velunas-Setup-$version.exe
makensis -V2 -DVERSION="$version" -DOUTFILE="$out" -DFILES="$lists" "$root/packaging/windows/velunas.nsi"
echo "$out"
