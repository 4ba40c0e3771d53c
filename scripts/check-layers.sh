#!/usr/bin/env bash
# Proves that the build keeps the layers of src/README.md: for each library a
# probe file, compiled with that library's own flags (compile_commands.json),
# includes a header of every folder it may not use, and must fail to compile;
# the core must not reach Qt. A probe of the folders it may use must compile,
# so the check cannot pass on broken flags.
#   BUILD_DIR  a configured build folder (build)
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD=${BUILD_DIR:-build}
DB=$BUILD/compile_commands.json
[ -f "$DB" ] || { echo "no $DB: configure the build first" >&2; exit 1; }

# folder: the folders it may include (src/README.md's table)
declare -A ALLOWED=(
  [model]="" [render]="model" [files]="model" [editor]="model"
  [preview]="model render files" [link]="model files" [transport]="model files link"
)
FOLDERS="model render files editor preview link transport app"
CORE="model render files editor preview link"
PROBE_DIR=$(mktemp -d)
trap 'rm -rf "$PROBE_DIR"' EXIT
failures=0

# The compile command of one of the folder's own sources, with `%PROBE%` for the file.
probe_command() {
  python3 - "$DB" "$PWD/src/$1/" <<'PY'
import json, shlex, sys
db, folder = sys.argv[1], sys.argv[2]
for entry in json.load(open(db)):
    if entry["file"].startswith(folder) and entry["file"].endswith(".cpp"):
        args = entry.get("arguments") or shlex.split(entry["command"])
        out = []
        skip = False
        for a in args:
            if skip:
                skip = False
                continue
            if a in ("-o", "-MF", "-MT", "-MQ"):
                skip = True
                continue
            if a in ("-MD", "-MMD", "-c") or a == entry["file"]:
                continue
            out.append(a)
        print(entry["directory"])
        print(shlex.join(out))
        break
PY
}

# compiles `text` as a file of `folder`; the compiler's status
compiles() {
  local folder=$1 text=$2 probe=$PROBE_DIR/probe_$1.cpp
  printf '%s\n' "$text" >"$probe"
  (cd "$directory" && eval "$command -fsyntax-only $probe") >"$PROBE_DIR/log" 2>&1
}

first_header() { (cd src/"$1" && ls ./*.h | head -1 | sed 's|^\./||'); }

for folder in $FOLDERS; do
  [ -d src/$folder ] || continue
  mapfile -t found < <(probe_command "$folder")
  if [ ${#found[@]} -lt 2 ]; then
    echo "layers: no compile command for src/$folder (is it built?)" >&2
    failures=$((failures + 1))
    continue
  fi
  directory=${found[0]} command=${found[1]}
  allowed="$folder ${ALLOWED[$folder]-$FOLDERS}"
  good=""
  for other in $FOLDERS; do
    [ -d src/$other ] || continue
    header="$other/$(first_header "$other")"
    if [[ " $allowed " == *" $other "* ]]; then
      good+="#include \"$header\""$'\n'
    elif compiles "$folder" "#include \"$header\""; then
      echo "layers: src/$folder can include \"$header\", a folder it may not use" >&2
      failures=$((failures + 1))
    fi
  done
  if ! compiles "$folder" "$good"; then
    echo "layers: src/$folder cannot include the folders it may use:" >&2
    cat "$PROBE_DIR/log" >&2
    failures=$((failures + 1))
  fi
  if [[ " $CORE " == *" $folder "* ]] && compiles "$folder" "#include <QObject>"; then
    echo "layers: src/$folder can include Qt" >&2
    failures=$((failures + 1))
  fi
done
[ $failures -eq 0 ] || exit 1
echo "layers: each library reaches only the folders below it"
