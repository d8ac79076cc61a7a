#!/usr/bin/env bash
# Builds and runs every test: the pure parts natively (GoogleTest with AddressSanitizer and UBSan), the
# Windows programs under wine (GoogleTest through ctest), and the real program's windows under wine on a
# virtual 1024x768 display (pytest with real keys and clicks). Prints one pass/fail summary.
#   scripts/test.sh [all|native|windows|wine]
set -uo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=lib.sh
source "$here/lib.sh"
what=${1:-all}

bash "$here/setup.sh" || { echo "setup failed"; exit 1; }
trap stop_started EXIT

passed=0
failed=0
broken=()
logs=$BUILD_DIR/test-logs
mkdir -p "$logs"

# Adds the counts of a ctest run (its log) to the totals.
count_ctest() {
  local line total bad
  line=$(grep -E '[0-9]+% tests passed, [0-9]+ tests? failed out of [0-9]+' "$1" | tail -n 1)
  if [ -z "$line" ]; then broken+=("$2: no result"); return; fi
  bad=$(sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\1/' <<<"$line")
  total=$(sed -E 's/.* failed out of ([0-9]+).*/\1/' <<<"$line")
  passed=$((passed + total - bad))
  failed=$((failed + bad))
  echo "$2: $((total - bad)) passed, $bad failed"
}

count_pytest() {
  local line p f e
  line=$(grep -E '[0-9]+ (passed|failed|error)' "$1" | tail -n 1)
  if [ -z "$line" ]; then broken+=("$2: no result"); return; fi
  p=$(grep -oE '[0-9]+ passed' <<<"$line" | grep -oE '[0-9]+' || echo 0)
  f=$(grep -oE '[0-9]+ failed' <<<"$line" | grep -oE '[0-9]+' || echo 0)
  e=$(grep -oE '[0-9]+ errors?' <<<"$line" | grep -oE '[0-9]+' || echo 0)
  passed=$((passed + p))
  failed=$((failed + f + e))
  echo "$2: $p passed, $((f + e)) failed"
}

if [ "$what" = all ] || [ "$what" = native ]; then
  echo "== native build and tests (ASan, UBSan)"
  if build_native >"$logs/native-build.log" 2>&1; then
    ctest --test-dir "$NATIVE_DIR" --output-on-failure -j2 >"$logs/native.log" 2>&1
    grep -E '^\s*[0-9]+/[0-9]+ Test .*(Failed|Exception|Timeout)' "$logs/native.log" || true
    count_ctest "$logs/native.log" native
  else
    tail -n 40 "$logs/native-build.log"
    broken+=("native build")
  fi
fi

if [ "$what" != native ]; then
  echo "== Windows build"
  if build_windows >"$logs/windows-build.log" 2>&1; then
    ensure_prefix
    start_display || broken+=("display")
    register_standin || broken+=("stand-in registration")
    if [ "$what" = all ] || [ "$what" = windows ]; then
      echo "== Windows tests under wine"
      ctest --test-dir "$WIN_DIR" --output-on-failure >"$logs/windows.log" 2>&1
      grep -E '^\s*[0-9]+/[0-9]+ Test .*(Failed|Exception|Timeout)' "$logs/windows.log" || true
      count_ctest "$logs/windows.log" windows
    fi
    if [ "$what" = all ] || [ "$what" = wine ]; then
      echo "== the program under wine (Xvfb $DISPLAY, real input)"
      VELMORA_WIN_DIR=$WIN_DIR /usr/bin/python3 -m pytest -q -p no:cacheprovider "$VELMORA_ROOT/tests/wine" \
        >"$logs/wine.log" 2>&1
      grep -E '^(FAILED|ERROR)' "$logs/wine.log" || true
      count_pytest "$logs/wine.log" wine
    fi
  else
    tail -n 40 "$logs/windows-build.log"
    broken+=("Windows build")
  fi
fi

echo
for b in "${broken[@]}"; do echo "BROKEN: $b"; failed=$((failed + 1)); done
echo "logs: $logs"
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ] && [ "$passed" -gt 0 ]
