#!/usr/bin/env bash
# Builds everything and runs every test. Usage: scripts/test.sh [build-dir] [extra cmake args]
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
build=${1:-build}
shift || true
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTOLVARO_WERROR=ON -DTOLVARO_HARDEN=ON "$@"
cmake --build "$build"
QT_QPA_PLATFORM=offscreen ctest --test-dir "$build" --output-on-failure -j "$(nproc)"
