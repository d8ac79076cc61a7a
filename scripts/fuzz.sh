#!/usr/bin/env bash
# Builds the fuzz targets (tests/fuzz) with clang, libFuzzer, ASan and UBSan into $BUILD_DIR/fuzz and runs
# each for a bounded time on a scratch corpus copied from its seeds and past finds. Prints, per target, the
# runs, executions per second, coverage, features and what was found (kept in $BUILD_DIR/fuzz/run/<target>/
# artifacts). Not part of CI: the native build replays the seeds and tests/fuzz/regressions instead.
#   scripts/fuzz.sh [SECONDS_PER_TARGET=60] [TARGET...]
# To shrink a find:  $BUILD_DIR/fuzz/tests/fuzz/<target> -minimize_crash=1 -runs=20000 <crash-file>
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=lib.sh
source "$here/lib.sh"

seconds=${1:-60}
shift || true
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(zip_fuzz paragraph_fuzz lines_fuzz)
FUZZ_DIR=$BUILD_DIR/fuzz
RSS_LIMIT_MB=2048

as_root() { if [ "$(id -u)" = 0 ]; then "$@"; else sudo "$@"; fi; }

# True when clang++ can link a libFuzzer program.
can_link_fuzzer() {
  command -v clang++ >/dev/null 2>&1 || return 1
  local probe
  probe=$(mktemp -d)
  printf 'extern "C" int LLVMFuzzerTestOneInput(const unsigned char*, unsigned long) { return 0; }\n' >"$probe/p.cpp"
  clang++ -fsanitize=fuzzer "$probe/p.cpp" -o "$probe/p" >/dev/null 2>&1
  local ok=$?
  rm -rf "$probe"
  return $ok
}

ensure_tools() {
  can_link_fuzzer && return 0
  log "fuzz: installing clang and its libFuzzer runtime"
  as_root apt-get update -qq
  command -v clang++ >/dev/null 2>&1 || as_root apt-get install -y -qq clang
  local major
  major=$(clang++ --version | sed -nE 's/.*clang version ([0-9]+).*/\1/p' | head -n 1)
  as_root apt-get install -y -qq "libclang-rt-$major-dev" || as_root apt-get install -y -qq libclang-rt-dev
  can_link_fuzzer || { log "fuzz: clang++ still cannot link -fsanitize=fuzzer"; return 1; }
}

build_fuzz() {
  cmake -S "$VELMORA_ROOT" -B "$FUZZ_DIR" -G Ninja -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g" -DCMAKE_C_FLAGS_DEBUG="-O1 -g" \
    -DVELMORA_FUZZ=ON >/dev/null
  cmake --build "$FUZZ_DIR" -j2 --target "${targets[@]}"
}

# The value of libFuzzer's last status line field (cov, ft, corp) or of a final stat.
last_field() { grep -oE "$1: [0-9]+" "$2" | tail -n 1 | grep -oE '[0-9]+' || echo "?"; }
final_stat() { sed -nE "s/^stat::$1: *([0-9]+).*/\1/p" "$2" | tail -n 1; }

run_target() {
  local target=$1 exe=$FUZZ_DIR/tests/fuzz/$1
  local work=$FUZZ_DIR/run/$target
  rm -rf "$work"
  mkdir -p "$work/corpus" "$work/artifacts"
  cp "$VELMORA_ROOT/tests/fuzz/seeds/$target/"* "$work/corpus/"
  cp "$VELMORA_ROOT/tests/fuzz/regressions/$target/"* "$work/corpus/" 2>/dev/null || true
  local dict=()
  [ -f "$VELMORA_ROOT/tests/fuzz/$target.dict" ] && dict=("-dict=$VELMORA_ROOT/tests/fuzz/$target.dict")
  # -jobs runs the fuzzer in a child that logs to fuzz-0.log in the working folder.
  (cd "$work" && "$exe" -jobs=1 -workers=1 -max_total_time="$seconds" -rss_limit_mb=$RSS_LIMIT_MB \
    -malloc_limit_mb=$RSS_LIMIT_MB -timeout=10 -print_final_stats=1 -artifact_prefix="$work/artifacts/" \
    "${dict[@]}" "$work/corpus" >"$work/driver.log" 2>&1) || true
  local log=$work/fuzz-0.log
  local runs eps found
  runs=$(final_stat number_of_executed_units "$log")
  eps=$(final_stat average_exec_per_sec "$log")
  found=$(find "$work/artifacts" -type f \( -name 'crash-*' -o -name 'leak-*' -o -name 'timeout-*' \
    -o -name 'oom-*' \) | wc -l)
  printf '%-15s %ss  runs %-10s exec/s %-7s cov %-6s ft %-6s corpus %-6s finds %s\n' "$target" "$seconds" \
    "${runs:-?}" "${eps:-?}" "$(last_field cov "$log")" "$(last_field ft "$log")" \
    "$(find "$work/corpus" -type f | wc -l)" "$found"
  if [ "$found" != 0 ]; then
    find "$work/artifacts" -type f | sed 's/^/    /'
    grep -m 3 -E 'ERROR: |runtime error|fuzz rule broken' "$log" | sed 's/^/    /' || true
  fi
}

ensure_tools
build_fuzz
for target in "${targets[@]}"; do run_target "$target"; done
