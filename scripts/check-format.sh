#!/usr/bin/env bash
# Fails when a tracked C++ file is not as clang-format (the root .clang-format) would write it.
set -euo pipefail
cd "$(dirname "$0")/.."
git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run -Werror
echo "format: clean"
