#!/usr/bin/env bash
# Installs the Debian 12 packages the build and the tests need; installs only what
# is missing, so running it again is cheap. Needs root or sudo when something is missing.
# "locales" brings the locale sources from which the tests make the German locale they
# run under (tests/german_locale.cmake); no locale has to be installed for it.
# zlib packs and unpacks the zipped tool libraries of CAM systems; Qt links it already.
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config
    qt6-base-dev libgl-dev libssl-dev zlib1g-dev
    libgtest-dev libgmock-dev googletest libbenchmark-dev
    clang-format g++-mingw-w64-x86-64
    xvfb xauth
    poppler-utils desktop-file-utils appstream file
    locales
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done

if ((${#missing[@]} == 0)); then
    exit 0
fi

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
    sudo_cmd=(sudo)
fi
echo "Installing: ${missing[*]}"
"${sudo_cmd[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
