#!/usr/bin/env bash
# Runs a command with a private X display (Xvfb) and a small window manager
# (openbox), so end-to-end tests get real focus changes and a close box.
set -euo pipefail

# The server picks a free display number itself: choosing one here and starting
# the server after could race another run doing the same, and both would then
# share one server.
numberfile="$(mktemp)"
# KESTROVA_XVFB_SCREEN: a bigger screen, e.g. for benchmarks at 1920 x 1080.
Xvfb -displayfd 5 -screen 0 "${KESTROVA_XVFB_SCREEN:-1280x1024x24}" -nolisten tcp 5>"$numberfile" >/dev/null 2>&1 &
xvfb=$!
openbox_pid=""
cleanup() {
  [ -n "$openbox_pid" ] && kill "$openbox_pid" 2>/dev/null || true
  kill "$xvfb" 2>/dev/null || true
  wait 2>/dev/null || true
  rm -f "$numberfile"
}
trap cleanup EXIT

for _ in $(seq 1 100); do
  [ -s "$numberfile" ] && break
  sleep 0.1
done
[ -s "$numberfile" ] || { echo "Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$(head -n 1 "$numberfile")"
xdpyinfo >/dev/null 2>&1 || { echo "Xvfb did not answer on $DISPLAY" >&2; exit 1; }

openbox >/dev/null 2>&1 &
openbox_pid=$!
sleep 0.5

"$@"
