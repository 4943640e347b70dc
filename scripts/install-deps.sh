#!/usr/bin/env bash
# Installs what the suite needs to build, run and test on Debian 12.
set -euo pipefail
packages=(
  build-essential cmake ninja-build pkg-config git
  libsqlite3-dev sqlite3
  libgtest-dev libgmock-dev libbenchmark-dev
  qt6-base-dev qt6-base-dev-tools qt6-svg-dev libgl-dev qt6-qpa-plugins
  qt6-tools-dev libqt6opengl6-dev
  fonts-noto-cjk fonts-dejavu-core
  clang libclang-rt-14-dev
  tigervnc-standalone-server
  libreoffice-calc-nogui libreoffice-writer-nogui libreoffice-dev libreoffice-dev-common libxlsxwriter-dev libminizip-dev
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -q </dev/null
$SUDO apt-get install -y -q --no-install-recommends "${missing[@]}" </dev/null
