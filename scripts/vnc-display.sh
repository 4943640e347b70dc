#!/usr/bin/env bash
# Runs a program on a virtual X display that is served over VNC on the
# loopback interface only: nobody on the network can reach it, and from
# another computer it is reached through an SSH tunnel. The display ends
# with the program.
#
#   scripts/vnc-display.sh [--port N] [--geometry WxH] PROGRAM [ARGS...]
#
# The port defaults to 5900. Needs Xvnc (Debian package
# tigervnc-standalone-server, installed by scripts/install-deps.sh).
set -euo pipefail

port=5900
geometry=1280x860
while [ $# -gt 0 ]; do
  case "$1" in
    --port) port=$2; shift 2 ;;
    --geometry) geometry=$2; shift 2 ;;
    --) shift; break ;;
    *) break ;;
  esac
done
if [ $# -eq 0 ]; then
  echo "usage: $0 [--port N] [--geometry WxH] PROGRAM [ARGS...]" >&2
  exit 2
fi
if ! command -v Xvnc >/dev/null; then
  echo "Xvnc is missing: run scripts/install-deps.sh first." >&2
  exit 2
fi

work=$(mktemp -d)
xvnc_pid=""
cleanup() {
  if [ -n "$xvnc_pid" ]; then
    kill "$xvnc_pid" 2>/dev/null || true
    wait "$xvnc_pid" 2>/dev/null || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# Xvnc picks a free display and writes its number to fd 3 once it accepts
# connections (its VNC port is bound by then); if it cannot start (the port
# is taken), it exits and the read below sees the end of the pipe.
mkfifo "$work/ready"
Xvnc -displayfd 3 -geometry "$geometry" -depth 24 -rfbport "$port" -localhost \
  -SecurityTypes None -AlwaysShared -nolisten tcp 3>"$work/ready" >"$work/xvnc.log" 2>&1 &
xvnc_pid=$!
display=""
read -r display <"$work/ready" || true
if [ -z "$display" ]; then
  echo "The VNC display could not start (is port $port in use?):" >&2
  tail -n 5 "$work/xvnc.log" >&2
  exit 1
fi

host=$(hostname 2>/dev/null || echo this-machine)
cat <<EOF
QM_TOOL's window is served over VNC on 127.0.0.1:$port (this machine only).
  On this machine: point a VNC viewer at localhost:$port.
  From another computer: ssh -N -L $port:localhost:$port $(id -un)@$host
  and then point the viewer there at localhost:$port.
Closing the window (or Ctrl+C here) ends the display.
EOF

status=0
DISPLAY=":$display" QT_QPA_PLATFORM=xcb "$@" || status=$?
exit "$status"
