#!/usr/bin/env bash
# Benchmark of the replacement run's code without the windows: N generated documents x P pairs
# (scripts/bench/make_documents.py), carried out by tests/win/bench/run_bench.exe against the stand-in.
#   scripts/bench_run.sh [DOCUMENTS=100] [PAIRS=20]
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=lib.sh
source "$here/lib.sh"
docs=${1:-100}
pairs=${2:-20}
bash "$here/setup.sh" >/dev/null
build_windows >/dev/null
ensure_prefix
register_standin
work=$(mktemp -d)
trap 'rm -rf "$work"; wineserver -k >/dev/null 2>&1 || true' EXIT
/usr/bin/python3 "$here/bench/make_documents.py" "$work" "$docs" "$pairs"
echo "machine: $(nproc) cores, $(free -g | awk '/Mem:/ {print $2}') GiB; $(date -u +%F)"
wine "$WIN_DIR/tests/win/bench/run_bench.exe" "Z:${work//\//\\}\\docs" "Z:${work//\//\\}\\pairs.txt"
