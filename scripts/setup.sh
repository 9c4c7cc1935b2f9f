#!/usr/bin/env bash
# Installs what building, running and testing Kestrova needs on Debian or Ubuntu.
# Only packages that are missing are installed, so a second run costs nothing.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config
  libsdl2-dev libsdl2-ttf-dev libepoxy-dev
  libgl1-mesa-dri libegl-mesa0 libegl1 libgl1
  libfluidsynth-dev timgm6mb-soundfont
  libfontconfig-dev fonts-liberation fonts-dejavu-core
  libassimp-dev
  libgtest-dev libbenchmark-dev
  xvfb xauth xdotool openbox wmctrl x11-utils x11-apps x11-xserver-utils
  clang libclang-rt-dev desktop-file-utils
  dpkg-dev file lintian appstream
)

bash "$(dirname "$0")/ensure-packages.sh" "${packages[@]}"
