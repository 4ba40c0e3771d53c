#!/usr/bin/env bash
# Runs every fuzzer of a fuzz build (see tests/fuzz/README.md), as many at a
# time as there are cores, all within one wall-clock budget, and prints one
# line per fuzzer: name, coverage (cov: edges, ft: features) and runs. Any
# finding (crash, sanitizer report, leak, timeout, out-of-memory) fails the
# script; the input behind it is kept under <build>/fuzz-artifacts and
# printed in base64 with the command that reproduces it.
#   FUZZ_SECONDS  wall-clock budget for all fuzzers together (default 600)
#   BUILD_DIR     the fuzz build (default build-fuzz)
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD=${BUILD_DIR:-build-fuzz}
budget=${FUZZ_SECONDS:-600}
slots=$(nproc)

mapfile -t fuzzers < <(find "$BUILD/tests/fuzz" -maxdepth 1 -type f -name 'fuzz_*' -perm -u+x | sort)
if [ "${#fuzzers[@]}" -eq 0 ]; then
  echo "no fuzzers in $BUILD/tests/fuzz (build the vorelux_fuzzers target first)" >&2
  exit 1
fi
rounds=$(((${#fuzzers[@]} + slots - 1) / slots))
seconds=$((budget / rounds))
if [ "$seconds" -lt 1 ]; then seconds=1; fi
runs="$BUILD/fuzz-runs"
artifacts="$BUILD/fuzz-artifacts"
rm -rf "$runs" "$artifacts"
mkdir -p "$runs" "$artifacts"
echo "${#fuzzers[@]} fuzzers, $slots at a time, $seconds s each"

for fuzzer in "${fuzzers[@]}"; do
  name=$(basename "$fuzzer")
  seeds=tests/fuzz/seeds/${name#fuzz_}
  if [ ! -d "$seeds" ]; then
    echo "$name: no seed folder $seeds" >&2
    echo 1 >"$runs/$name.rc"
    continue
  fi
  while [ "$(jobs -rp | wc -l)" -ge "$slots" ]; do wait -n || true; done
  mkdir -p "$BUILD/corpus/$name"
  (
    rc=0
    "$fuzzer" -max_total_time="$seconds" -timeout=25 -print_final_stats=1 \
      -artifact_prefix="$artifacts/$name-" "$BUILD/corpus/$name" "$seeds" \
      >"$runs/$name.log" 2>&1 || rc=$?
    echo "$rc" >"$runs/$name.rc"
  ) &
done
wait

failed=()
for fuzzer in "${fuzzers[@]}"; do
  name=$(basename "$fuzzer")
  log="$runs/$name.log"
  rc=$(cat "$runs/$name.rc" 2>/dev/null || echo "none")
  # libFuzzer's last status line ("#runs DONE cov: .. ft: .."), else its final stats.
  status=$(grep -E '^#[0-9]+.* cov: [0-9]+ ft: [0-9]+' "$log" 2>/dev/null | tail -n 1 || true)
  cov=$(sed -nE 's/.* cov: ([0-9]+).*/\1/p' <<<"$status")
  ft=$(sed -nE 's/.* ft: ([0-9]+).*/\1/p' <<<"$status")
  count=$(sed -nE 's/^stat::number_of_executed_units: *([0-9]+)/\1/p' "$log" 2>/dev/null || true)
  if [ -z "$count" ]; then count=$(sed -nE 's/^#([0-9]+).*/\1/p' <<<"$status"); fi
  result=ok
  if [ "$rc" != 0 ]; then
    result="FAILED (exit $rc)"
    failed+=("$name")
  fi
  printf '%-20s cov %-6s ft %-7s runs %-10s %s\n' "$name" "${cov:-?}" "${ft:-?}" "${count:-?}" "$result"
done

for name in "${failed[@]}"; do
  echo
  echo "---- $name: end of its log"
  tail -n 60 "$runs/$name.log" 2>/dev/null || true
  for artifact in "$artifacts/$name-"*; do
    [ -f "$artifact" ] || continue
    echo "---- $artifact (reproduce: $BUILD/tests/fuzz/$name $artifact), base64:"
    base64 -w 0 "$artifact"
    echo
  done
done
if [ "${#failed[@]}" -gt 0 ]; then
  echo "fuzzing found problems in: ${failed[*]}" >&2
  exit 1
fi
