#!/usr/bin/env bash
# Builds Velmora for Windows and starts it under wine, with the stand-in "Word.Application" registered.
# Without a display, a virtual 1024x768 one is started: look at it with
#   DISPLAY=<shown display> import -window root shot.png      (a screenshot), or
#   x11vnc -display <shown display>                           (live, with any VNC viewer)
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=lib.sh
source "$here/lib.sh"
bash "$here/setup.sh"
build_windows
ensure_prefix
if [ -z "${DISPLAY:-}" ]; then
  start_display
  trap stop_started EXIT
  echo "run: no display; Velmora runs on the virtual display $DISPLAY (1024x768)"
fi
register_standin
wine "$WIN_DIR/app/Velmora.exe"
