#!/usr/bin/env bash
# Benchmark of whole replacement runs through the real program under wine, against the stand-in server:
# generated documents x pairs, each set measured by scripts/bench/program_bench.py (one JSON line a set),
# after the program's own planning work for such runs timed natively (tests/native/bench/plan_bench).
#   scripts/bench_program.sh [SET...]      SET is DOCUMENTSxPAIRS; default: 10x10 100x20 500x50
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=lib.sh
source "$here/lib.sh"
sets=("$@")
[ ${#sets[@]} -gt 0 ] || sets=(10x10 100x20 500x50)
bash "$here/setup.sh" libbenchmark-dev >/dev/null
build_windows >/dev/null
ensure_prefix
work=$(mktemp -d)
trap 'rm -rf "$work"; stop_started' EXIT
start_display
register_standin
echo "# $(date -u '+%F %H:%M') UTC; $(nproc) cores, $(free -g | awk '/Mem:/ {print $2}') GiB;" \
  "$(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'); $(wine --version)"
# The program's own work for such runs, apart from the automation calls (native, optimised).
cmake -S "$VELMORA_ROOT" -B "$BUILD_DIR/bench-native" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$BUILD_DIR/bench-native" --target plan_bench >/dev/null
"$BUILD_DIR/bench-native/tests/native/bench/plan_bench" 2>/dev/null
for set in "${sets[@]}"; do
  docs=${set%x*}
  pairs=${set#*x}
  rm -rf "${work:?}/$set"
  /usr/bin/python3 "$here/bench/make_documents.py" "$work/$set" "$docs" "$pairs"
  VELMORA_WIN_DIR=$WIN_DIR /usr/bin/python3 "$here/bench/program_bench.py" "$work/$set"
done
