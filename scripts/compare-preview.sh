#!/usr/bin/env bash
# Compares the preview output of two builds of the command-line tool:
# `vorelux trace`, `vorelux gif`, `vorelux png` and `vorelux effect` on sample
# pages with every effect, byte for byte. Used when the preview code is
# reorganised and its output must stay the same.
#
#   scripts/compare-preview.sh REFERENCE_VORELUX NEW_VORELUX
#
# Builds the reference like this (only the tool):
#   git worktree add ../preview-ref <commit>
#   cmake -S ../preview-ref -B ../preview-ref/build -G Ninja && cmake --build ../preview-ref/build --target vorelux
set -u
if [ $# -ne 2 ]; then
    echo "usage: $0 REFERENCE_VORELUX NEW_VORELUX" >&2
    exit 2
fi
ref=$1 new=$2
root=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
at="2015-02-19 12:34:56"
checked=0 differ=0

# Runs `vorelux ARGS` with both tools (OUT in ARGS is the output file, if any)
# and compares standard output, exit code and the written file.
same() {
    local name=$1
    shift
    local args_ref=() args_new=() a
    for a in "$@"; do
        args_ref+=("${a//OUT/$work/ref-$name}")
        args_new+=("${a//OUT/$work/new-$name}")
    done
    "$ref" "${args_ref[@]}" >"$work/ref.txt" 2>&1
    echo "exit $?" >>"$work/ref.txt"
    "$new" "${args_new[@]}" >"$work/new.txt" 2>&1
    echo "exit $?" >>"$work/new.txt"
    sed -i "s|$work/ref-|X-|g" "$work/ref.txt"
    sed -i "s|$work/new-|X-|g" "$work/new.txt"
    checked=$((checked + 1))
    if ! cmp -s "$work/ref.txt" "$work/new.txt"; then
        echo "DIFFERENT output: $name" >&2
        differ=$((differ + 1))
    elif [ -e "$work/ref-$name" ] || [ -e "$work/new-$name" ]; then
        if ! cmp -s "$work/ref-$name" "$work/new-$name"; then
            echo "DIFFERENT file: $name" >&2
            differ=$((differ + 1))
        fi
    fi
    rm -f "$work/ref-$name" "$work/new-$name"
}

# Sample pages: every effect in and out on a short line, a line wider than
# the panel (it scrolls) and a line with word breaks; then the stored samples.
long="PROMOCAO DE HOJE: TUDO PELA METADE DO PRECO ATE O FIM DO MES, APROVEITE"
pages=()
for n in $(seq 1 61); do
    out=$((62 - n))
    "$ref" make "$work/e$n.vpg" --in "$n" --out "$out" "OFERTA $n" "$long" "A B" >/dev/null
    pages+=("$work/e$n.vpg")
    "$ref" make "$work/s$n.vpg" --in "$n" --out "$n" "SALDO" >/dev/null
    pages+=("$work/s$n.vpg")
done
for f in "$root"/tests/fuzz/seeds/loadPageFile/*; do
    pages+=("$f")
done

for p in "${pages[@]}"; do
    b=$(basename "$p")
    for page in 1 2; do
        same "trace-$b-$page" trace "$p" --page "$page" --rounds 2 --at "$at"
        for cycle in 0 37 700 5000; do
            same "png-$b-$page-$cycle.png" png "$p" --page "$page" --at-cycle "$cycle" \
                -o OUT --scale 2 --at "$at"
        done
    done
    same "gif-$b.gif" gif "$p" --page 1 -o OUT --scale 2 --at "$at"
done
# The two looks and a larger scale on a few pages.
for n in 3 19 32 61; do
    same "gif-grid-$n.gif" gif "$work/e$n.vpg" --page 1 -o OUT --scale 4 --look grid --at "$at"
    same "png-dots-$n.png" png "$work/e$n.vpg" --page 1 --at-cycle 90 -o OUT --look dots
done
for n in $(seq 0 62); do
    same "effect-entry-$n" effect entry "$n" --text "Vorelux $n"
    same "effect-exit-$n" effect exit "$n" --text "Vorelux $n" --font 3
done

echo "compared $checked outputs: $differ different"
[ "$differ" -eq 0 ]
