#!/usr/bin/env bash
# Executions per second of every fuzzer over its seeds (10 s each by default),
# from the sanitized build of the test command; see scripts/fuzz.sh --bench.
exec "$(dirname "$0")/../scripts/fuzz.sh" --bench "$@"
