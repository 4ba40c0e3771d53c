#!/usr/bin/env bash
# Runs clang-tidy (the root .clang-tidy) over src/ from the build's
# compile_commands.json; fails on any finding. Arguments narrow the run to
# path patterns (e.g. "src/model/"); by default every file of src/.
#   BUILD_DIR  a configured build folder (build)
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD=${BUILD_DIR:-build}
[ -f "$BUILD/compile_commands.json" ] || { echo "no $BUILD/compile_commands.json" >&2; exit 1; }
patterns=("$@")
[ ${#patterns[@]} -gt 0 ] || patterns=("src/")
mapfile -t files < <(python3 - "$BUILD/compile_commands.json" "$PWD" "${patterns[@]}" <<'PY'
import json, sys
db, root, patterns = sys.argv[1], sys.argv[2] + "/", sys.argv[3:]
seen = set()
for entry in json.load(open(db)):
    f = entry["file"]
    rel = f[len(root):] if f.startswith(root) else None
    if rel and rel.endswith(".cpp") and any(rel.startswith(p) for p in patterns) and rel not in seen:
        seen.add(rel)
        print(rel)
PY
)
echo "clang-tidy: ${#files[@]} files"
printf '%s\n' "${files[@]}" | xargs -P"$(nproc)" -n4 clang-tidy -p "$BUILD" --quiet
echo "clang-tidy: clean"
