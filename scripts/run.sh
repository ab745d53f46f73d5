#!/usr/bin/env bash
# Builds the release preset and starts Kalvora Tools.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-dependencies.sh
cmake --preset release >/dev/null
cmake --build --preset release
exec build/release/bin/Kalvora_Tools "$@"
