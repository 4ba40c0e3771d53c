#!/usr/bin/env bash
# Builds everything from a fresh clone and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
BUILD=${BUILD_DIR:-build}
cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
cmake --build "$BUILD" -j"$(nproc)"
cd "$BUILD"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$(nproc)"
