#!/usr/bin/env bash
# Every benchmark, one after the other, as recorded in BENCHMARKS.md:
#   1. whole runs through the real program under wine (scripts/bench_program.sh: 10x10, 100x20, 500x50)
#   2. the document engine against LibreOffice, and its cost growth (scripts/bench_engine.sh)
#   3. each fuzz target for a bounded time (scripts/fuzz.sh, FUZZ_SECONDS per target, default 300)
# Output goes to the terminal and to $BUILD_DIR/bench-logs/. Takes about an hour on two cores.
#   scripts/bench.sh
set -uo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=lib.sh
source "$here/lib.sh"
logs=$BUILD_DIR/bench-logs
mkdir -p "$logs"
status=0
bash "$here/bench_program.sh" 2>&1 | tee "$logs/program.txt" || status=1
bash "$here/bench_engine.sh" all 2>&1 | tee "$logs/engine.txt" || status=1
bash "$here/fuzz.sh" "${FUZZ_SECONDS:-300}" 2>&1 | tee "$logs/fuzz.txt" || status=1
exit $status
