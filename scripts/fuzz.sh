#!/usr/bin/env bash
# Builds the fuzz targets with clang and libFuzzer in build-asan (the
# sanitizer suite's tree) and runs each for SECONDS seconds. Any crash fails
# the run; its input is kept under build-asan/crashes/<target>/ and belongs in
# fuzz/regressions/<target>/ once mended. Usage: scripts/fuzz.sh SECONDS
set -euo pipefail
seconds="${1:?usage: scripts/fuzz.sh SECONDS}"
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$root/build-asan"
source "$root/scripts/common.sh"
targets=("${FUZZ_TARGETS[@]}")
install_missing "${BUILD_PACKAGES[@]}" "${FUZZ_PACKAGES[@]}"
configure_sanitizer_tree "$build"
cmake --build "$build" --target "${targets[@]/#/fuzz_}"

# Each input is written to a file; in memory the targets run several times faster.
if [ -d /dev/shm ] && [ -w /dev/shm ]; then export TMPDIR=/dev/shm; fi
export ASAN_OPTIONS="halt_on_error=1:abort_on_error=1:detect_leaks=1"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
export LSAN_OPTIONS="suppressions=$root/scripts/lsan.supp"
# Runs one target for the given time; its output goes to its log.
fuzz_one() {
    local target="$1"
    # New inputs go to the build folder's corpus, which grows from run to run;
    # the seeds and past crashes in the repository are only read. The import's
    # seeds are also made from the named data files (fuzz/import_seeds.sh).
    local corpus="$build/corpus/$target" crashes="$build/crashes/$target"
    mkdir -p "$corpus" "$crashes"
    local inputs=("$corpus" "$root/fuzz/corpus/$target")
    [ -d "$root/fuzz/regressions/$target" ] && inputs+=("$root/fuzz/regressions/$target")
    if [ "$target" = import ]; then
        "$root/fuzz/import_seeds.sh" "$build/seeds/import" "$root/tests/files/import" "$root/examples"
        inputs+=("$build/seeds/import")
    fi
    "$build/fuzz/fuzz_$target" "${inputs[@]}" -max_total_time="$seconds" -timeout=10 \
        -rss_limit_mb=2048 -max_len=16384 -artifact_prefix="$crashes/" \
        -print_final_stats=1 > "$build/fuzz_$target.log" 2>&1
}

# Every target at once, sharing the cores for the whole time: no core waits
# idle for the last target, whatever the number of targets and cores.
declare -A running=()
failed=()
finish_one() {
    local pid target
    wait -n -p pid "${!running[@]}" && status=0 || status=$?
    target="${running[$pid]}"
    unset "running[$pid]"
    echo "fuzz_$target: $seconds s"
    if [ "$status" -eq 0 ]; then
        grep -E '^stat::(number_of_executed_units|peak_rss_mb)' "$build/fuzz_$target.log" | sed 's/^/  /'
    else
        tail -n 40 "$build/fuzz_$target.log"
        echo "fuzz_$target failed; see $build/fuzz_$target.log and $build/crashes/$target/" >&2
        failed+=("$target")
    fi
}
for target in "${targets[@]}"; do
    fuzz_one "$target" &
    running[$!]="$target"
done
while [ "${#running[@]}" -gt 0 ]; do finish_one; done
[ ${#failed[@]} -eq 0 ] || { echo "Fuzzing found problems in: ${failed[*]}" >&2; exit 1; }
echo "Fuzzing found no problems."
