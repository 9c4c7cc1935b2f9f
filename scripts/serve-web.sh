#!/usr/bin/env bash
# Builds the page (scripts/build-web.sh) and serves build-web/dist/ on
# http://127.0.0.1:8080/ for a player on this machine. Any static web server
# does the same: the page needs no server code and no special headers.
# PORT=... chooses another port.
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
bash "$repo/scripts/build-web.sh"
port=${PORT:-8080}
echo "Kestrova: open http://127.0.0.1:$port/ (Ctrl+C stops the server)" >&2
exec python3 -m http.server --bind 127.0.0.1 --directory "$repo/build-web/dist" "$port"
