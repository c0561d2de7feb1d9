#!/usr/bin/env bash
# Fuzzing campaigns over the libFuzzer targets of tests/fuzz, built in the
# sanitized clang folder (build-asan, as scripts/test.sh configures it).
#
#   scripts/fuzz.sh [--runs N] [--build DIR] [target...]
#       runs each target for N inputs (default 1000000) at nice 19, growing a
#       corpus kept in DIR/fuzz-corpus/<target> over the committed seeds;
#       prints runs, executions per second and findings per target.
#   scripts/fuzz.sh --bench [--seconds S] [--build DIR] [target...]
#       the benchmark: each target for S seconds (default 10) over its seeds
#       only, printing executions per second, so a slowdown shows.
#
# A finding (crash, sanitizer report, leak, timeout) is kept as DIR/fuzz-findings/
# <target>/crash-... ; replay it with DIR/bin/<target> <file>. Mended faults get
# their input copied into tests/fuzz/corpus/<target>/ so that CTest replays it.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

runs=1000000
seconds=10
bench=0
build=build-asan
targets=()
while [ $# -gt 0 ]; do
    case $1 in
    --runs) runs=$2; shift 2 ;;
    --seconds) seconds=$2; shift 2 ;;
    --bench) bench=1; shift ;;
    --build) build=$2; shift 2 ;;
    -h|--help) sed -n '2,17p' "$0"; exit 0 ;;
    *) targets+=("$1"); shift ;;
    esac
done
all=(fuzz_descriptor fuzz_broadcast fuzz_fwimage fuzz_manifest fuzz_names fuzz_statefile fuzz_replies fuzz_kivoctl)
[ ${#targets[@]} -gt 0 ] || targets=("${all[@]}")

if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Debug -DCMAKE_C_FLAGS_DEBUG="-O1 -g" \
        -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g" -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
        -DKIVO_SANITIZE=ON -DKIVO_FUZZ=ON -DKIVO_BENCH=OFF >/dev/null
fi
nice -n 19 cmake --build "$build" -j"$(nproc)" --target "${targets[@]}" >/dev/null

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:halt_on_error=1:abort_on_error=0}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
# The fuzzers' leak suppressions together with the sanitized suite's.
supp=$(mktemp)
trap 'rm -f "$supp"' EXIT
cat tests/fuzz/lsan.supp >"$supp"
[ -f tests/sanitizers/lsan.supp ] && cat tests/sanitizers/lsan.supp >>"$supp"
export LSAN_OPTIONS=suppressions=$supp:print_suppressions=0
export QT_QPA_PLATFORM=offscreen

# One line per target: name, inputs run, seconds, executions per second, findings.
printf '%-16s %10s %8s %10s  %s\n' target runs seconds exec/s findings
status=0
for t in "${targets[@]}"; do
    exe=$root/$build/bin/$t
    seeds=$root/tests/fuzz/corpus/$t
    findings=$root/$build/fuzz-findings/$t
    mkdir -p "$findings"
    log=$(mktemp)
    scratch=$(mktemp -d)
    if [ $bench = 1 ]; then
        # A fresh corpus each time, so that figures of two runs compare.
        dirs=("$scratch" "$seeds")
        limit=(-max_total_time="$seconds" -seed=1)
    else
        mkdir -p "$root/$build/fuzz-corpus/$t"
        dirs=("$root/$build/fuzz-corpus/$t" "$seeds")
        limit=(-runs="$runs")
    fi
    start=$(date +%s.%N)
    # The findings folder is also the working folder: anything a target writes
    # to the current directory stays out of the source tree.
    (cd "$findings" && nice -n 19 "$exe" "${limit[@]}" -timeout=30 -print_final_stats=1 \
        -artifact_prefix="$findings/" "${dirs[@]}") >"$log" 2>&1 || true
    end=$(date +%s.%N)
    done_runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
    rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -1)
    found=$(grep -oE "(crash|leak|timeout|oom|slow-unit)-[0-9a-f]+" "$log" | sort -u | tr '\n' ' ' || true)
    if [ -z "$done_runs" ]; then
        # Stopped by a finding before the final statistics: the last status line.
        done_runs=$(grep -oE '^#[0-9]+' "$log" | tail -1 | tr -d '#' || true)
        [ -n "$found" ] || found="stopped, see $findings/last.log"
    fi
    secs=$(awk -v a="$start" -v b="$end" 'BEGIN { printf "%.0f", b - a }')
    printf '%-16s %10s %8s %10s  %s\n' "$t" "${done_runs:-?}" "$secs" "${rate:-?}" "${found:-none}"
    if [ -n "$found" ]; then
        status=1
        cp "$log" "$findings/last.log"
        grep -E "ERROR|SUMMARY|runtime error" "$log" | head -5 | sed 's/^/    /'
    fi
    rm -rf "$scratch" "$log"
done
exit $status
