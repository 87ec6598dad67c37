#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the libFuzzer targets with clang and runs each for a while (default 30 seconds).
# The committed corpus seeds a copy, so a run leaves the repository as it was.
# Usage: scripts/fuzz.sh [seconds per target]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-30}
build=build-fuzz

bash scripts/bootstrap.sh
CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCORVANE_FUZZ=ON -DCORVANE_SANITIZE=ON
cmake --build "$build" --target pipeline_fuzz undolog_fuzz

for target in pipeline undolog; do
    corpus=$(mktemp -d)
    cp fuzz/corpus/$target/* "$corpus/"
    mkdir -p "$build/artifacts"
    echo "== ${target}_fuzz for ${seconds}s"
    "$build/fuzz/${target}_fuzz" -max_total_time="$seconds" -max_len=4096 \
        -artifact_prefix="$build/artifacts/${target}-" "$corpus" 2>&1 | tail -n 3
    rm -rf "$corpus"
done
