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
  # No display: a virtual one, served over VNC on the loopback interface
  # only (port $QM_VNC_PORT, default 5900); the script says how to reach it.
  echo "No display found."
  exec ./scripts/vnc-display.sh --port "${QM_VNC_PORT:-5900}" "$bin" --simulate "$@"
fi
exec "$bin" --simulate "$@"
