#!/usr/bin/env bash
# Builds Scriba with AddressSanitizer and UndefinedBehaviorSanitizer in build-asan/ and runs the
# whole test suite there. Any report fails the test that caused it; leaks are reported unless
# they lie wholly inside the system's libraries (tools/lsan.supp).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${SCRIBA_SANITIZE_BUILD_DIR:-$root/build-asan}
"$root/tools/deps.sh"

# Also for the build: it runs the unit test program to list its tests.
export ASAN_OPTIONS=detect_leaks=1:check_initialization_order=1:strict_init_order=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export LSAN_OPTIONS=suppressions=$root/tools/lsan.supp:print_suppressions=0

if [ ! -f "$build/build.ninja" ]; then
  # -O1 keeps the build and the instrumented tests quick; line tables are enough for the
  # reports' stacks. The benchmarks are not needed here.
  cmake -S "$root" -B "$build" -G Ninja -DSCRIBA_SANITIZE=ON -DSCRIBA_BUILD_BENCH=OFF \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g1 -DNDEBUG"
fi
cmake --build "$build"
cd "$build"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j "$(nproc)" "$@"
