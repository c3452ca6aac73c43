#!/usr/bin/env bash
# Builds the utility and starts it against its built-in simulated routers.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build --target tolvaro
exec ./build/src/tolvaro --demo "$@"
