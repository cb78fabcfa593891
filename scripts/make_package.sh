#!/usr/bin/env bash
# Builds the Debian package ardenca_VERSION_ARCH.deb in build/package (an optimised build
# of the programs, their man pages and completion, without the tests) and checks it with
# lintian. Prints the package's path last.
# Usage: scripts/make_package.sh
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/ensure_packages.sh

cmake --preset package >/dev/null
cmake --build --preset package -j "$(nproc 2>/dev/null || echo 2)"
(cd build/package && cpack -G DEB)

version=$(sed -n 's/^set(CPACK_PACKAGE_VERSION "\(.*\)")$/\1/p' build/package/CPackConfig.cmake)
deb=build/package/ardenca_${version}_$(dpkg --print-architecture).deb
[ -f "$deb" ] || { echo "make_package.sh: $deb was not made" >&2; exit 1; }

echo "== lintian =="
lintian --fail-on error "$deb"
echo "$deb"
