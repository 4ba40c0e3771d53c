#!/usr/bin/env bash
# Builds everything the Debian package holds (the three programs, their
# manual pages and the changelog: the default target) and starts the editor.
# `(cd build && cpack -G DEB)` then packages that build.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j"$(nproc)"
exec ./build/src/app/vorelux-editor "$@"
