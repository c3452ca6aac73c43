#!/usr/bin/env bash
# Builds the fuzz targets with clang and runs each for SECONDS (default 60),
# starting from its seed corpus in fuzz/corpus. New inputs go to a scratch
# copy, not into the repository; a finding stops the run with its input kept.
# Usage: scripts/fuzz.sh [SECONDS] [TARGET...]   (targets without "fuzz_")
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
shift || true
bash scripts/deps.sh fuzz
build=build-fuzz
CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DTOLVARO_FUZZ=ON -DTOLVARO_BUILD_TESTS=OFF -DTOLVARO_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" --target fuzz_all

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
    for dir in fuzz/corpus/*/; do
        targets+=("$(basename "$dir")")
    done
fi

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
findings="$build/findings"
mkdir -p "$findings"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
for target in "${targets[@]}"; do
    mkdir -p "$scratch/$target"
    echo "== fuzz_$target: ${seconds}s"
    if ! "$build/fuzz/fuzz_$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -max_len=140000 -print_final_stats=1 -artifact_prefix="$findings/$target-" \
        "$scratch/$target" "fuzz/corpus/$target" >"$scratch/$target.log" 2>&1; then
        tail -n 60 "$scratch/$target.log"
        echo "fuzz_$target: finding kept under $findings" >&2
        exit 1
    fi
    grep -E "^(stat::number_of_executed_units|stat::new_units_added)" "$scratch/$target.log" |
        tr '\n' ' '
    echo
done
