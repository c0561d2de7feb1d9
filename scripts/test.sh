#!/usr/bin/env bash
# Builds everything in build/ and runs every test; then builds the project again
# with clang under AddressSanitizer and UndefinedBehaviorSanitizer in build-asan/
# and runs the whole suite there too. Any failure or sanitizer finding fails.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
jobs=$(nproc)
bash scripts/install-deps.sh

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$jobs"
(cd build && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$jobs")

# -O1 keeps the instrumented tests quick while the reports keep their lines.
# No benchmarks here: figures measured on instrumented code mean nothing.
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DCMAKE_C_FLAGS_DEBUG="-O1 -g" \
    -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g" -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    -DKIVO_SANITIZE=ON -DKIVO_FUZZ=ON -DKIVO_BENCH=OFF >/dev/null
cmake --build build-asan -j"$jobs"

# Every process of the run, the program started by a test included, stops at
# its first finding with a non-zero exit.
export ASAN_OPTIONS=detect_leaks=1:halt_on_error=1:abort_on_error=0:detect_stack_use_after_return=1:check_initialization_order=1:strict_init_order=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export LSAN_OPTIONS=suppressions=$root/tests/sanitizers/lsan.supp:print_suppressions=0
# Mesa's DRI drivers stay loaded to the end (see the file): unloaded, they take
# with them the only pointer to a block of theirs, which LeakSanitizer reports.
clang -shared -fPIC -O1 -o build-asan/keep_dri_loaded.so tests/sanitizers/keep_dri_loaded.c -ldl
export LD_PRELOAD=$root/build-asan/keep_dri_loaded.so
# The chaos soak walks the same seeded actions as in build/, so that every
# control it must reach is reached here too.
export KIVO_CHAOS_ACTIONS=3000
# Not run twice: the Windows checks (velqa.dll and the program's Windows logic
# built by mingw and run under wine, the program's sources compiled by mingw:
# nothing of them is built by this folder's compiler or sanitized) and the
# install tests (cmake --install, the desktop files and the Debian package,
# which would install sanitized binaries; the program they start already runs
# sanitized in tst_startup).
(cd build-asan && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$jobs" \
    -E '^(velqa_windows_build|kivomouse_windows_compile|kivomouse_windows_logic|install_prefix|install_deb)$')
