#!/usr/bin/env bash
# Builds the tests and the fuzz targets with clang, AddressSanitizer and
# UndefinedBehaviorSanitizer in build-asan, and runs every test there,
# offscreen. Any report fails the run. scripts/fuzz.sh fuzzes in the same tree.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$root/build-asan"
source "$root/scripts/common.sh"
install_missing "${BUILD_PACKAGES[@]}" "${TEST_PACKAGES[@]}" "${FUZZ_PACKAGES[@]}"
ensure_test_locale
configure_sanitizer_tree "$build"
cmake --build "$build" --target trellam-tests "${FUZZ_TARGETS[@]/#/fuzz_}"

# Every report ends the test with an error; leaks at exit count too.
export ASAN_OPTIONS="halt_on_error=1:abort_on_error=1:detect_leaks=1:detect_stack_use_after_return=1:check_initialization_order=1:strict_init_order=1"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
export LSAN_OPTIONS="suppressions=$root/scripts/lsan.supp"
# Tests run side by side on every core: OpenMP's idle threads sleep instead of
# spinning for clang's runtime's long default, which would starve the other test.
export OMP_WAIT_POLICY=passive
ctest --test-dir "$build" --output-on-failure -j "$(nproc)"
