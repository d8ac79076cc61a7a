# Shared by the run and test scripts: paths, builds, the wine prefix and the virtual display.
# shellcheck shell=bash

VELMORA_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD_DIR=${VELMORA_BUILD_DIR:-$VELMORA_ROOT/build}
NATIVE_DIR=$BUILD_DIR/native
WIN_DIR=$BUILD_DIR/windows
export WINEPREFIX=$BUILD_DIR/wineprefix
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="

log() { printf '%s\n' "$*" >&2; }

build_native() {
  cmake -S "$VELMORA_ROOT" -B "$NATIVE_DIR" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVELMORA_SANITIZE=ON >/dev/null
  cmake --build "$NATIVE_DIR"
}

build_windows() {
  cmake -S "$VELMORA_ROOT" -B "$WIN_DIR" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$VELMORA_ROOT/cmake/mingw-w64-x86_64.cmake" >/dev/null
  cmake --build "$WIN_DIR"
}

# Runs a Windows program of the build inside the prefix and waits for it.
win_run() { wine "$@"; }

winpath() { winepath -w "$1" 2>/dev/null; }

# A prefix of our own in the build folder, created once. Chinese captions need a CJK font mapped
# over the faces the program asks for; wine draws the title bars itself since Xvfb has no window manager.
ensure_prefix() {
  local marker=$WINEPREFIX/.velmora-ready
  if [ ! -f "$marker" ]; then
    log "prefix: creating $WINEPREFIX"
    mkdir -p "$WINEPREFIX"
    DISPLAY= wineboot -i >/dev/null 2>&1 || true
    local key='HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes'
    local face
    for face in "MS Shell Dlg" "MS Shell Dlg 2" "Tahoma" "SimSun" "宋体" "NSimSun" "新宋体" \
      "Microsoft Sans Serif" "Microsoft YaHei" "微软雅黑" "SimHei" "黑体" "Arial" "Segoe UI"; do
      wine reg add "$key" /v "$face" /t REG_SZ /d "WenQuanYi Micro Hei" /f >/dev/null 2>&1
    done
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /t REG_SZ /d N /f >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
    wineserver -w
    touch "$marker"
  fi
}

# Registers the stand-in automation server of this build in the prefix, if it was built.
register_standin() {
  local exe=$WIN_DIR/standin/WordStandIn.exe
  [ -f "$exe" ] || return 0
  wine "$exe" /RegServer || { log "prefix: registering WordStandIn.exe failed"; return 1; }
}

# Starts Xvfb at 1024x768 on a free display number and exports DISPLAY.
XVFB_PID=
start_display() {
  local n=90
  while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
  Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
  XVFB_PID=$!
  export DISPLAY=":$n"
  local i
  for i in $(seq 1 100); do
    xdpyinfo >/dev/null 2>&1 && return 0
    kill -0 "$XVFB_PID" 2>/dev/null || break
    sleep 0.1
  done
  log "display: Xvfb did not start"
  return 1
}

stop_started() {
  wineserver -k >/dev/null 2>&1 || true
  [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null && wait "$XVFB_PID" 2>/dev/null
  XVFB_PID=
  return 0
}
