#!/usr/bin/env bash
# Runs a command with a private X display (Xvfb) and a small window manager
# (openbox), so end-to-end tests get real focus changes and a close box.
set -euo pipefail

n=90
while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
export DISPLAY=":$n"

# KESTROVA_XVFB_SCREEN: a bigger screen, e.g. for benchmarks at 1920 x 1080.
Xvfb "$DISPLAY" -screen 0 "${KESTROVA_XVFB_SCREEN:-1280x1024x24}" -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
openbox_pid=""
cleanup() {
  [ -n "$openbox_pid" ] && kill "$openbox_pid" 2>/dev/null || true
  kill "$xvfb" 2>/dev/null || true
  wait 2>/dev/null || true
}
trap cleanup EXIT

for _ in $(seq 1 100); do
  if xdpyinfo >/dev/null 2>&1; then break; fi
  sleep 0.1
done
xdpyinfo >/dev/null 2>&1 || { echo "Xvfb did not start on $DISPLAY" >&2; exit 1; }

openbox >/dev/null 2>&1 &
openbox_pid=$!
sleep 0.5

"$@"
