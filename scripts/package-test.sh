#!/usr/bin/env bash
# Builds the Debian package and proves it on a fresh minimal Debian 12: the
# install, the folders and their owners, the desk's window as an operator, a
# member list loaded from a spreadsheet's CSV, a search by name and a
# delivery, the organisers' report and undoing the delivery, a report in the
# error log, an upgrade that keeps the site's settings and deliveries, and
# links an operator plants in the shared folders refused at a reinstall and an
# upgrade. Runs as root (debootstrap, chroot, mounts).
# Usage: scripts/package-test.sh [package build dir] [test build dir]
set -euo pipefail
cd "$(dirname "$0")/.."
package_build=${1:-build-package}
test_build=${2:-build}
cache=${VELUNAS_TEST_CACHE:-/var/cache/velunas-test}
mirror=${VELUNAS_TEST_MIRROR:-http://deb.debian.org/debian}
base=$cache/bookworm-minbase
data=/var/lib/Velunas/data

step() { printf '== %s\n' "$*"; }
fail() {
    printf 'FAILED: %s\n' "$*" >&2
    exit 1
}

[[ $(id -u) -eq 0 ]] || fail "run as root (debootstrap, chroot and mounts need it)"

step "Building the package and the desk worker"
if [[ ! -f $package_build/build.ninja ]]; then
    launcher=()
    command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
    cmake --preset package "${launcher[@]}" >/dev/null
fi
cmake --build "$package_build" -j 2 --target package
[[ -f $test_build/build.ninja ]] || cmake --preset default >/dev/null
cmake --build "$test_build" -j 2 --target desk_worker
deb=$(ls -t "$package_build"/velunas_*_*.deb | head -n 1)
[[ -f $deb ]] || fail "no package in $package_build"

step "lintian"
lint_status=0
lint=$(lintian --fail-on error,warning "$deb" 2>&1) || lint_status=$?
grep -v "running with root privileges" <<<"$lint" || true
[[ $lint_status == 0 ]] || fail "lintian found errors or warnings"

if [[ ! -d $base ]]; then
    step "Making the minimal Debian 12 once, in $base"
    mkdir -p "$cache"
    rm -rf --one-file-system "$base.tmp"
    debootstrap --variant=minbase bookworm "$base.tmp" "$mirror" >/dev/null
    mv "$base.tmp" "$base"
fi
mkdir -p "$cache/apt-archives/partial"

root=$(mktemp -d /var/tmp/velunas-package-test.XXXXXX)
end_processes_inside() {
    local proc
    for proc in /proc/[0-9]*; do
        [[ $(readlink "$proc/root" 2>/dev/null) == "$root"* ]] && kill -9 "${proc#/proc/}" 2>/dev/null
    done
    sleep 0.2
}
cleanup() {
    local status=$?
    end_processes_inside
    local mount_point
    # Deepest first; a lazy unmount when something still holds one.
    while read -r mount_point; do
        umount "$mount_point" 2>/dev/null || umount -l "$mount_point"
    done < <(findmnt -rn -o TARGET | grep -F "$root/" | sort -r)
    rm -rf --one-file-system "$root"
    exit "$status"
}
trap cleanup EXIT INT TERM

step "Copying the minimal Debian 12 to $root"
cp -a "$base/." "$root/"
for dir in proc sys dev dev/pts var/cache/apt/archives; do mkdir -p "$root/$dir"; done
mount -t proc proc "$root/proc"
mount -t sysfs sysfs "$root/sys"
mount --bind /dev "$root/dev"
mount --bind /dev/pts "$root/dev/pts"
# Downloaded packages are kept between runs.
mount --bind "$cache/apt-archives" "$root/var/cache/apt/archives"
cp /etc/resolv.conf "$root/etc/resolv.conf"

in_root() { chroot "$root" "$@"; }
as_operator() { chroot "$root" runuser -u maria -- env HOME=/home/maria QT_QPA_PLATFORM=offscreen "$@"; }

install_package() {
    cp "$deb" "$root/tmp/velunas.deb"
    in_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q "$@" /tmp/velunas.deb >"$root/tmp/apt.log" 2>&1 ||
        {
            tail -n 30 "$root/tmp/apt.log"
            fail "apt-get install of the package"
        }
}

step "Installing $(basename "$deb") with the archive's dependencies"
in_root apt-get update -q >/dev/null
# The worker drives the real window through Qt's test library.
install_package libqt6test6
in_root useradd --create-home --groups velunas maria

step "Folders, files, modes and owners"
expect_stat() {
    local actual
    actual=$(in_root stat -c '%a %U:%G' "$1") # the chroot's own names
    [[ $actual == "$2" ]] || fail "$1 is $actual, expected $2"
    echo "  $1: $actual"
}
expect_stat "/var/lib/ZEFA Software" "2775 root:velunas"
expect_stat "/var/lib/ZEFA Software/RegShadow.db" "664 root:velunas"
expect_stat /var/lib/Velunas "2775 root:velunas"
expect_stat /var/lib/Velunas/errors.log "664 root:velunas"
expect_stat $data "2775 root:velunas"
expect_stat $data/haldor.db "664 root:velunas"
expect_stat $data/mirva.db "664 root:velunas"
expect_stat /etc/velunas/dtpassword.key "640 root:velunas"
expect_stat /etc/velunas/registry.reg "644 root:root"
[[ $(in_root stat -c %s /etc/velunas/dtpassword.key) == 32 ]] || fail "the key is not 32 bytes"
grep -qx /etc/velunas/registry.reg "$root/var/lib/dpkg/info/velunas.conffiles" || fail "registry.reg is no conffile"

step "The desk's window stays up for the operator"
status=0
timeout -k 2 5 chroot "$root" runuser -u maria -- env HOME=/home/maria QT_QPA_PLATFORM=offscreen velunas \
    >"$root/tmp/desk.log" 2>&1 || status=$?
# 124 or 137: still running when the time was up (runuser may need the KILL).
[[ $status == 124 || $status == 137 ]] || {
    cat "$root/tmp/desk.log"
    fail "the desk ended by itself (status $status) instead of staying up"
}
end_processes_inside

step "Loading HALDOR's members from a Windows-1252 CSV with ';'"
printf '%s\r\n' 'Contacto;N\xba Empresa;N\xba S\xf3cio;Nome;Empresa;E-mail;Activo' \
    '101;7001;9001;Jo\xe3o D'"'"'\xc1vila Magalh\xe3es;Caf\xe9 Central;joao@exemplo.pt;sim' \
    '102;7002;9002;Maria Concei\xe7\xe3o;"Padaria ""Estrela""; Lda.";;1' \
    '101;7003;9003;Outro Repetido;X;;1' \
    '103;7004;9004;Rui Sim\xf5es;Y;;n\xe3o' | while IFS= read -r line; do printf '%b\n' "$line"; done \
    >"$root/home/maria/socios.csv"
as_operator velunas-import-members --skip-rejected haldor /home/maria/socios.csv >"$root/tmp/import.out" 2>"$root/tmp/import.err" ||
    {
        cat "$root/tmp/import.err"
        fail "the import"
    }
cat "$root/tmp/import.out" "$root/tmp/import.err" | sed 's/^/  /'
grep -q "^Loaded 3 members into $data/haldor.db" "$root/tmp/import.out" || fail "three members loaded"
grep -q "^line 4 rejected: contacto_id 101 is already on line 2" "$root/tmp/import.err" || fail "the duplicate's line"
[[ $(sqlite3 "$root$data/haldor.db" "SELECT nome_union FROM tbAssociados WHERE contacto_id = 101") == "João D'Ávila Magalhães" ]] ||
    fail "the accented name with its apostrophe"

strings="Provider=SQLite;Data Source=$data/haldor.db"
mirva="Provider=SQLite;Data Source=$data/mirva.db;Attach=$data/haldor.db"
cp "$test_build/bin/desk_worker" "$root/usr/local/bin/desk_worker"

step "Searching by name at the desk and delivering"
echo go | as_operator desk_worker "$strings" "$strings" "$mirva" 1 1 "joao d'avila" >"$root/tmp/worker.out" 2>&1 || true
sed 's/^/  /' "$root/tmp/worker.out"
grep -q "^recorded joao d'avila 101 1 1$" "$root/tmp/worker.out" || fail "the delivery to João D'Ávila"
[[ $(sqlite3 "$root$data/haldor.db" "SELECT socio_id, base_dados, convite_no FROM tbVelunas") == "101|1|1" ]] ||
    fail "the delivery row"

step "The organisers' report: the CSV and the PDF page"
as_operator velunas-report --csv /tmp/entregas.csv --pdf /tmp/resumo.pdf 2>"$root/tmp/report.err" ||
    {
        cat "$root/tmp/report.err"
        fail "velunas-report --csv --pdf"
    }
sed -n 2p "$root/tmp/entregas.csv" | sed 's/^/  /'
[[ $(head -c 3 "$root/tmp/entregas.csv" | od -An -tx1 | tr -d ' ') == efbbbf ]] || fail "the CSV's byte-order mark"
grep -q "^1;[0-9-]* [0-9:]*;HALDOR;7001;João D'Ávila Magalhães;Café Central;joao@exemplo.pt"$'\r'"\$" \
    "$root/tmp/entregas.csv" || fail "the delivery's line in the CSV"
[[ $(head -c 5 "$root/tmp/resumo.pdf") == "%PDF-" ]] || fail "the PDF page"
if command -v pdftotext >/dev/null; then
    page=$(pdftotext "$root/tmp/resumo.pdf" - | tr '\n' ' ')
    for text in "Convites entregues" "Total de convites entregues" "Entregas por hora" "Entregas anuladas (0)"; do
        [[ $page == *"$text"* ]] || fail "\"$text\" is not on the PDF page"
    done
fi

step "Undoing the delivery: refused outside the group, done by an operator, delivered again"
in_root useradd --create-home rui
status=0
chroot "$root" runuser -u rui -- velunas-report --undo 1 --reason "sem grupo" 2>"$root/tmp/undo.err" || status=$?
sed 's/^/  /' "$root/tmp/undo.err"
[[ $status == 1 ]] && grep -q "only root or the group velunas may undo" "$root/tmp/undo.err" ||
    fail "an account outside the group undid a delivery (status $status)"
as_operator velunas-report --undo 1 --reason "Entregue ao sócio errado" >"$root/tmp/undo.out" ||
    fail "velunas-report --undo as an operator"
sed 's/^/  /' "$root/tmp/undo.out"
[[ $(sqlite3 "$root$data/haldor.db" "SELECT socio_id, base_dados, convite_no FROM tbVelunas") == "-1|0|1" ]] ||
    fail "the undone row keeps its number and matches nobody"
[[ $(sqlite3 "$root$data/haldor.db" "SELECT convite_no, socio_id, conta, motivo FROM tbAnulacoes") == \
    "1|101|maria|Entregue ao sócio errado" ]] || fail "the record of the undone delivery"
echo go | as_operator desk_worker "$strings" "$strings" "$mirva" 1 1 "joao d'avila" >"$root/tmp/worker.out" 2>&1 || true
sed 's/^/  /' "$root/tmp/worker.out"
grep -q "^recorded joao d'avila 101 1 2$" "$root/tmp/worker.out" || fail "the second delivery to João D'Ávila, number 2"

step "A report in the log after a provoked error"
as_operator touch /tmp/vazia.db
echo go | as_operator desk_worker --log "$strings" "Provider=SQLite;Data Source=/tmp/vazia.db" "$mirva" 1 1 7001 \
    >/dev/null 2>&1 || true
grep -q "| Command4_Click | " "$root/var/lib/Velunas/errors.log" || fail "no report line in errors.log"
sed 's/^/  /' "$root/var/lib/Velunas/errors.log"

step "Upgrading over itself"
printf '\n; changed by the site\n' >>"$root/etc/velunas/registry.reg"
changed=$(md5sum <"$root/etc/velunas/registry.reg")
key=$(md5sum <"$root/etc/velunas/dtpassword.key")
install_package --reinstall
[[ $(md5sum <"$root/etc/velunas/registry.reg") == "$changed" ]] || fail "the upgrade replaced registry.reg"
[[ $(md5sum <"$root/etc/velunas/dtpassword.key") == "$key" ]] || fail "the upgrade replaced the key"
[[ $(sqlite3 "$root$data/haldor.db" "SELECT count(*) FROM tbVelunas; SELECT count(*) FROM tbAssociados NOT INDEXED") == $'2\n3' ]] ||
    fail "the upgrade lost deliveries or members"
expect_stat $data/haldor.db "664 root:velunas"

step "Links an operator plants are refused, at a reinstall and at an upgrade"
# Everything on the computer but what the package and dpkg (its triggers'
# icon cache included) may change.
snapshot() {
    (cd "$root" && find . -xdev \( -path ./proc -o -path ./sys -o -path ./dev -o -path ./run -o -path ./tmp -o \
        -path ./var/tmp -o -path ./var/cache -o -path ./var/log -o -path ./var/lib/dpkg -o -path ./var/lib/apt -o \
        -path ./usr/share/icons/hicolor/icon-theme.cache -o \
        -path ./var/lib/Velunas -o -path "./var/lib/ZEFA Software" -o -path ./etc/velunas \) -prune -o \
        -printf '%p %y %m %U:%G %s %T@\n') | sort | grep -v -F -f <(in_root dpkg -L velunas | sed 's|^|.|; s|$| |')
}
key_file=/etc/velunas/dtpassword.key
printf 'only root reads this\n' >"$root/root/segredo"
chmod 0600 "$root/root/segredo"
# Each round plants links where the scripts make things, dangling into /etc or
# at a file of root's; the last one puts a link to root's home in the data
# folder's place.
for round in dangling root-file folder; do
    if [[ $round == folder ]]; then
        planted=("$data")
    else
        planted=("/var/lib/ZEFA Software/RegShadow.db" /var/lib/Velunas/errors.log "$data/haldor.db" "$data/mirva.db"
            "$key_file")
    fi
    for file in "${planted[@]}"; do
        case $round in
        dangling) target=/etc/planted-$(basename "$file") ;;
        root-file) target=/root/segredo ;;
        folder) target=/root ;;
        esac
        # The operator moves the real one aside, as the group's write on the folder allows; the key's
        # folder is root's alone, so root plants that one.
        if [[ $file == "$key_file" ]]; then
            in_root mv "$file" "$file.aside" && in_root ln -s "$target" "$file"
        else
            as_operator mv "$file" "$file.aside" && as_operator ln -s "$target" "$file"
        fi
    done
    before=$(snapshot)
    install_package --reinstall
    cp "$root/tmp/apt.log" "$root/tmp/planted.log"
    in_root /var/lib/dpkg/info/velunas.postinst configure 0.9 >>"$root/tmp/planted.log" 2>&1 ||
        fail "the upgrade's configure step with links planted ($round)"
    diff <(echo "$before") <(snapshot) || fail "a file outside the package's folders was made or changed ($round)"
    for file in "${planted[@]}"; do
        [[ -L $root$file ]] || fail "the planted $file was not left as it was ($round)"
        [[ $(grep -cF "$file" "$root/tmp/planted.log") -ge 2 ]] ||
            fail "no word of the planted $file at the reinstall and the upgrade ($round)"
    done
    [[ $(cat "$root/root/segredo") == "only root reads this" && $(stat -c '%a %u:%g' "$root/root/segredo") == "600 0:0" ]] ||
        fail "a planted link was followed ($round)"
    tr -d '\r' <"$root/tmp/planted.log" | grep -E '^(velunas|encipher_password): ' | sort -u | sed 's/^/  /'
    for file in "${planted[@]}"; do
        rm "$root$file"
        mv "$root$file.aside" "$root$file"
    done
done
expect_stat $data/haldor.db "664 root:velunas"
expect_stat /etc/velunas/dtpassword.key "640 root:velunas"

step "Removal keeps the data and settings; purging removes them"
in_root env DEBIAN_FRONTEND=noninteractive apt-get remove -y -q velunas >/dev/null 2>&1 || fail "apt-get remove"
for kept in $data/haldor.db /etc/velunas/registry.reg /etc/velunas/dtpassword.key "/var/lib/ZEFA Software/RegShadow.db"; do
    [[ -e $root$kept ]] || fail "removal deleted $kept"
done
in_root env DEBIAN_FRONTEND=noninteractive apt-get purge -y -q velunas >/dev/null 2>&1 || fail "apt-get purge"
for gone in /var/lib/Velunas /etc/velunas "/var/lib/ZEFA Software"; do
    [[ ! -e $root$gone ]] || fail "purging left $gone"
done

step "Package test passed"
