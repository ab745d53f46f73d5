#!/usr/bin/env bash
# Builds the release preset and the Debian package; prints the package's path.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-dependencies.sh
cmake --preset release >/dev/null
cmake --build --preset release
rm -f build/release/kalvora-tools_*.deb
(cd build/release && cpack -G DEB >/dev/null)
ls build/release/kalvora-tools_*.deb
