#!/usr/bin/env bash
# Installs the Debian 12 packages the build needs, and any named as arguments,
# only those that are missing. The argument "fuzz" stands for the compiler the
# fuzz targets need; "contrib" for what scripts/contrib-check.sh runs (Ansible,
# promtool, and what the modules' checks need), without the packages these
# recommend: ansible-core's pull in the whole community collection set.
set -euo pipefail
packages=(cmake ninja-build g++ pkg-config qt6-base-dev libsnmp-dev snmp libgtest-dev libssl-dev
          libgl-dev xvfb xauth fonts-dejavu-core libcli11-dev nlohmann-json3-dev
          help2man librsvg2-bin libtomlplusplus-dev clang-format man-db)
lean=()
for extra in "$@"; do
    if [ "$extra" = fuzz ]; then
        packages+=(clang libclang-rt-14-dev)
    elif [ "$extra" = contrib ]; then
        lean+=(ansible-core prometheus python3-voluptuous python3-pycodestyle)
    else
        packages+=("$extra")
    fi
done
missing() {
    for p in "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || echo "$p"
    done
}
mapfile -t missing < <(missing "${packages[@]}")
mapfile -t missingLean < <(missing "${lean[@]}")
if [ $((${#missing[@]} + ${#missingLean[@]})) -gt 0 ]; then
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    $sudo apt-get update -qq
    [ ${#missing[@]} -eq 0 ] ||
        DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"
    [ ${#missingLean[@]} -eq 0 ] ||
        DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends \
            "${missingLean[@]}"
fi
