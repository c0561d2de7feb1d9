#!/bin/sh
# Runs a fuzzer over its committed seeds (crash cases included) and then a few
# thousand inputs of its own. New inputs go to a scratch folder, never into the
# committed corpus.
# usage: run_fuzzer.sh <fuzzer> <seed folder> <runs> [libFuzzer options...]
set -eu
fuzzer=$1
seeds=$2
runs=$3
shift 3
here=$(cd "$(dirname "$0")" && pwd)
scratch=$(mktemp -d "${TMPDIR:-/tmp}/kivo-fuzz.XXXXXX")
trap 'rm -rf "$scratch"' EXIT

# LeakSanitizer takes one suppression file: the run's own (if any) and the
# fuzzers' list together.
given=$(printf ':%s' "${LSAN_OPTIONS:-}" | sed -n 's/.*:suppressions=\([^:]*\).*/\1/p')
cat "$here/lsan.supp" >"$scratch/lsan.supp"
[ -n "$given" ] && [ -f "$given" ] && cat "$given" >>"$scratch/lsan.supp"
rest=$(printf ':%s' "${LSAN_OPTIONS:-}" | sed 's/:suppressions=[^:]*//g; s/^://')
export LSAN_OPTIONS="suppressions=$scratch/lsan.supp${rest:+:$rest}"

mkdir "$scratch/corpus"
cd "$scratch"
"$fuzzer" -runs="$runs" -seed=1 -timeout=30 -print_final_stats=1 "$@" "$scratch/corpus" "$seeds"
