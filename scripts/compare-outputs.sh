#!/usr/bin/env bash
# Usage: scripts/compare-outputs.sh REF_BUILD NEW_BUILD
# Runs `vorelux trace`, `vorelux gif` and `vorelux send --dry-run` of the same
# sample pages with the vorelux of two build folders and compares what they
# print and write, byte for byte. Exit 0 when everything is identical.
set -euo pipefail
if [ $# -ne 2 ]; then
    echo "usage: $0 REF_BUILD NEW_BUILD" >&2
    exit 2
fi
ref="$1/tools/vorelux"
new="$2/tools/vorelux"
for tool in "$ref" "$new"; do
    [ -x "$tool" ] || { echo "$0: no vorelux at $tool" >&2; exit 2; }
done
here="$(cd "$(dirname "$0")/.." && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# Sample pages: the page-file seeds of the tests, and pages made here.
mkdir -p "$work/pages"
cp "$here"/tests/fuzz/seeds/loadPageFile/*.vpg "$work/pages/"
"$ref" make "$work/pages/made.vpg" --page 2 --in 5 --out 9 "BOM DIA" "PROMOÇÃO ~ 30%" >/dev/null
"$ref" make "$work/pages/long.vpg" --page 1 --in 1 --out 1 \
    "$(printf 'LINHA LONGA %.0s' $(seq 1 20))" "FIM" >/dev/null

# A private conn.cfg with a target list for the dry runs.
printf '\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\003\007' >"$work/conn.cfg"
chmod 600 "$work/conn.cfg"

status=0
run() { # run NAME ARGS...: both tools, outputs and exit codes compared
    local name="$1"
    shift
    for side in ref new; do
        local tool="$ref"
        [ "$side" = new ] && tool="$new"
        local args=("$@")
        args=("${args[@]//@OUT@/$work/$side-$name.out}")
        set +e
        "$tool" "${args[@]}" >"$work/$side-$name.stdout" 2>"$work/$side-$name.stderr"
        echo $? >"$work/$side-$name.code"
        set -e
        # Paths of the two sides differ only by the side's name.
        sed -i "s|$work/$side-|$work/SIDE-|g" "$work/$side-$name.stdout" "$work/$side-$name.stderr"
    done
    local same=1
    for part in stdout stderr code out; do
        local a="$work/ref-$name.$part" b="$work/new-$name.$part"
        [ -e "$a" ] || [ -e "$b" ] || continue
        if ! cmp -s "$a" "$b"; then
            echo "DIFFERENT: $name ($part)"
            status=1
            same=0
        fi
    done
    # An if, not "[ ] &&": under set -e a false test would end the whole run.
    if [ $same -eq 1 ]; then
        echo "same: $name ($(wc -c <"$work/ref-$name.stdout") bytes out, exit $(cat "$work/ref-$name.code"))"
    fi
}

for file in "$work"/pages/*.vpg; do
    base="$(basename "$file" .vpg)"
    for page in 1 2; do
        run "trace-$base-$page" trace "$file" --page "$page" --rounds 2 --at "2026-03-01 10:20:30"
        run "gif-$base-$page" gif "$file" --page "$page" -o @OUT@ --rounds 1
    done
    run "send-$base" send "$file" --config "$work/conn.cfg" --port /dev/null --dry-run
    run "send-$base-to" send "$file" --pages 1,2 --to 0 --config "$work/conn.cfg" \
        --port /dev/null --dry-run
done
if [ $status -eq 0 ]; then echo "all outputs identical"; fi
exit $status
