#!/usr/bin/env bash
# Builds the editor and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j"$(nproc)" --target vorelux-editor
exec ./build/src/app/vorelux-editor "$@"
