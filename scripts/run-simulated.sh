#!/usr/bin/env bash
# Installs what is needed, builds, and starts QM_TOOL against the built-in
# simulated meters. Extra arguments go to QM_TOOL (e.g. --language "Chinese(Traditional)").
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
./scripts/build.sh release
bin=build/release/app/QM_TOOL
if [ ! -x "$bin" ]; then
  # The window is not built yet: show what the meters say instead.
  exec build/release/cli/qmcli --simulate list
fi
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  echo "No display found: QM_TOOL serves its window over VNC on port 5900 of this machine."
  echo "Connect a VNC viewer to it; press Ctrl+C here to stop."
  export QT_QPA_PLATFORM="vnc:size=1280x860:port=5900"
fi
exec "$bin" --simulate "$@"
