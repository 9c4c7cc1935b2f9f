#!/usr/bin/env bash
# Builds the page (scripts/build-web.sh) and checks it in headless Chromium.
# BUILD_DIR=... chooses the build folder, as for build-web.sh.
# Sets itself up on a fresh Debian machine: Debian's chromium, and
# playwright-core from npm into tests/web (the machine's own npm; Debian's
# conflicts with a newer node).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build-web.sh >/dev/null
if ! command -v chromium >/dev/null; then
  sudo=""
  if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
  echo "Installing: chromium"
  $sudo apt-get update -q
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends chromium
fi
npm ci --prefix tests/web --no-audit --no-fund >/dev/null
node tests/web/first_picture_test.mjs "${BUILD_DIR:-build-web}/dist"
