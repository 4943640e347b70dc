#!/usr/bin/env bash
# The headless window of run-simulated.sh: its VNC port listens on the
# loopback interface only (never on every interface), and QM_TOOL runs on
# that display. Usage: vnc_loopback_test.sh VNC_DISPLAY_SCRIPT QM_TOOL
set -euo pipefail

# Inside the display: every listening socket on the port must be loopback.
if [ "${1:-}" = "--check" ]; then
  port_hex=$(printf '%04X' "$2")
  found=0
  for table in /proc/net/tcp /proc/net/tcp6; do
    [ -r "$table" ] || continue
    # local address is field 2, state field 4 (0A: listening)
    while read -r _ local _ state _; do
      [ "$state" = "0A" ] || continue
      [ "${local##*:}" = "$port_hex" ] || continue
      case "${local%:*}" in
        0100007F | 00000000000000000000000001000000) found=$((found + 1)) ;;
        *) echo "FAIL: port $2 listens on ${local%:*}, not loopback" >&2; exit 1 ;;
      esac
    done <"$table"
  done
  if [ "$found" -eq 0 ]; then
    echo "FAIL: nothing listens on port $2" >&2
    exit 1
  fi
  [ -n "${DISPLAY:-}" ] || { echo "FAIL: no DISPLAY for the program" >&2; exit 1; }
  exit 0
fi

script=$1
qm_tool=$2
if ! command -v Xvnc >/dev/null; then
  echo "Xvnc is not installed (scripts/install-deps.sh installs it)"
  exit 77
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# A port of our own, so that a VNC server already on 5900 does not matter.
port=$((20000 + ($$ * 7 + RANDOM) % 20000))
# The system's D-Bus library that the X11 platform loads keeps memory to the
# end on purpose; leak checks of our code run on the offscreen platform.
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"
"$script" --port "$port" bash -c '
  bash "$1" --check "$2" && "$3" --simulate --screenshot "$4"' _ "$0" "$port" "$qm_tool" \
  "$work/window.png" >"$work/out.txt" 2>&1 || { cat "$work/out.txt"; exit 1; }
grep -q "127.0.0.1:$port" "$work/out.txt" || { echo "FAIL: no address printed"; cat "$work/out.txt"; exit 1; }
grep -q "ssh -N -L $port:localhost:$port" "$work/out.txt" || { echo "FAIL: no tunnel hint"; exit 1; }
[ -s "$work/window.png" ] || { echo "FAIL: QM_TOOL did not run on the display"; exit 1; }
echo "1 passed, 0 failed"
