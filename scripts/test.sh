#!/usr/bin/env bash
# Builds the ci preset (AddressSanitizer + UBSan) and runs every test with ctest.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-dependencies.sh
cmake --preset ci >/dev/null
cmake --build --preset ci
ctest --preset ci -j2
