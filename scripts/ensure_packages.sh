#!/usr/bin/env bash
# Installs the Debian packages that the build, the tests and the program need and that
# are not installed yet. Installs nothing when everything is there.
# Usage: scripts/ensure_packages.sh
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev qt6-svg-dev qt6-charts-dev libgl-dev libtbb-dev nec2c
  libgtest-dev libgmock-dev libbenchmark-dev libcli11-dev nlohmann-json3-dev
  # The fixture fit's least squares.
  libeigen3-dev
  desktop-file-utils appstream shared-mime-info
  # The Debian package, its man pages and completion, and their test.
  help2man dpkg-dev file lintian man-db bash-completion
  # The desktop window's captions are set in DejaVu Sans Condensed (in -extra).
  fonts-dejavu-core fonts-dejavu-extra xvfb xauth
  # The report test reads the PDF back: pdfinfo, pdftotext, pdftoppm.
  poppler-utils
  clang libclang-rt-14-dev
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing missing packages: ${missing[*]}"
if [ "$(id -u)" -eq 0 ]; then
  sudo=()
elif command -v sudo >/dev/null 2>&1; then
  sudo=(sudo)
else
  echo "These packages are missing and neither root nor sudo is available: ${missing[*]}" >&2
  exit 1
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq "${missing[@]}"
