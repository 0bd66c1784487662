#!/usr/bin/env bash
# Builds the fuzz targets (build-fuzz/: clang, libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer) and runs each, one after the other, for
# FUZZ_SECONDS on a working corpus seeded from tests/fuzz/corpus/<target>.
# Prints a table of executions, coverage and crashes per target, and exits
# non-zero when any target crashed. FUZZ_TARGETS picks some targets by name.
set -euo pipefail
seconds=${FUZZ_SECONDS:-60}
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build-fuzz
cd "$root"

if [[ ! -f $build/build.ninja ]]; then
    launcher=()
    command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
    cmake --preset fuzz "${launcher[@]}"
fi
cmake --build "$build" -j "${JOBS:-$(nproc)}"

if [[ -n ${FUZZ_TARGETS:-} ]]; then
    read -r -a targets <<<"$FUZZ_TARGETS"
else
    targets=()
    for source in tests/fuzz/fuzz_*.cpp; do
        targets+=("$(basename "$source" .cpp)")
    done
fi

export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}

rows=()
crashed=0
for target in "${targets[@]}"; do
    corpus=$build/corpus/$target
    crashes=$build/crashes/$target
    log=$build/logs/$target.log
    mkdir -p "$corpus" "$crashes" "$(dirname "$log")"
    # The seeds join what earlier runs found; the repository's copy is never written.
    for seed in "tests/fuzz/corpus/$target"/*; do
        [[ -e $corpus/$(basename "$seed") ]] || cp "$seed" "$corpus"/
    done
    before=$(find "$crashes" -type f | wc -l)
    echo "== $target: $seconds s (log: ${log#"$root"/})"
    status=0
    "$build/bin/$target" "$corpus" -max_total_time="$seconds" -timeout=30 -print_final_stats=1 \
        -artifact_prefix="$crashes/" >"$log" 2>&1 || status=$?
    found=$(($(find "$crashes" -type f | wc -l) - before))
    # libFuzzer's status lines end with the last coverage reached.
    last=$(grep -E '^#[0-9]+.*cov: ' "$log" | tail -n 1 || true)
    executions=$(grep -oE 'stat::number_of_executed_units: [0-9]+' "$log" | grep -oE '[0-9]+$' || true)
    [[ -n $executions ]] || executions=$(sed -nE 's/^#([0-9]+).*/\1/p' <<<"$last")
    cov=$(grep -oE 'cov: [0-9]+' <<<"$last" | grep -oE '[0-9]+' || true)
    features=$(grep -oE 'ft: [0-9]+' <<<"$last" | grep -oE '[0-9]+' || true)
    units=$(grep -oE 'corp: [0-9]+' <<<"$last" | grep -oE '[0-9]+' || true)
    if ((status != 0 || found > 0)); then
        crashed=1
        ((found > 0)) || found="exit $status"
        grep -E 'ERROR: |runtime error|property broken|SUMMARY' "$log" | head -n 5 || true
    fi
    rows+=("$(printf '%-24s %10s %8s %8s %8s %s' "$target" "${executions:-?}" "${cov:-?}" "${features:-?}" "${units:-?}" "$found")")
done

echo
printf '%-24s %10s %8s %8s %8s %s\n' target executions cov ft corpus crashes
printf '%s\n' "${rows[@]}"
if ((crashed)); then
    echo "A target crashed: the inputs are in build-fuzz/crashes/<target>/." >&2
    exit 1
fi
