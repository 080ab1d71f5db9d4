#!/usr/bin/env bash
# Builds the parallel code's tests (kernel, import, bootstrap, trellam-cli)
# with ThreadSanitizer in build-tsan and runs them on several threads. Any
# report fails the run.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$root/build-tsan"
source "$root/scripts/common.sh"
install_missing "${BUILD_PACKAGES[@]}" "${TSAN_PACKAGES[@]}"
tests=(tst_stats tst_import tst_bootstrap tst_yuen tst_descriptives tst_cli)
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DCMAKE_CXX_COMPILER=clang++ -DTRELLAM_TSAN=ON
cmake --build "$build" --target "${tests[@]}" trellam-cli

# The OpenMP runtime's own synchronisation reaches ThreadSanitizer through
# its Archer tool; without it every hand-over between threads would be reported.
export OMP_TOOL_LIBRARIES="$(find /usr/lib/llvm-*/lib -name 'libarcher.so' | sort -V | tail -1)"
export TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1:ignore_noninstrumented_modules=1:suppressions=$root/scripts/tsan.supp"
export TRELLAM_THREADS=4
# A report ends the test at once with an exit code, not a signal that the
# test library would answer with a stack dump.
export QTEST_DISABLE_STACK_DUMP=1
# Side by side on every core, OpenMP's idle threads sleeping (see sanitize.sh).
export OMP_WAIT_POLICY=passive
ctest --test-dir "$build" --output-on-failure -j "$(nproc)" -R "^($(IFS='|'; echo "${tests[*]}"))\$"
