#!/usr/bin/env bash
# Builds the ci preset (AddressSanitizer + UBSan) and runs every test with ctest, after
# building the Debian package and checking it as an installer would meet it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-dependencies.sh
scripts/check-package.sh
cmake --preset ci >/dev/null
cmake --build --preset ci
ctest --preset ci -j2
