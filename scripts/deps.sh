#!/usr/bin/env bash
# Installs the Debian 12 packages the build needs, and any named as arguments,
# only those that are missing. The argument "fuzz" stands for the compiler the
# fuzz targets need.
set -euo pipefail
packages=(cmake ninja-build g++ pkg-config qt6-base-dev libsnmp-dev snmp libgtest-dev
          libgl-dev xvfb xauth fonts-dejavu-core libcli11-dev nlohmann-json3-dev
          help2man librsvg2-bin libtomlplusplus-dev clang-format man-db)
for extra in "$@"; do
    if [ "$extra" = fuzz ]; then
        packages+=(clang libclang-rt-14-dev)
    else
        packages+=("$extra")
    fi
done
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"
fi
