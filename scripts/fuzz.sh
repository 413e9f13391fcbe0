#!/usr/bin/env bash
# Builds the fuzz programs with clang and libFuzzer in build-fuzz (a folder of its own) and runs
# each for FUZZ_SECONDS seconds (default 60), starting from its seed corpus in tests/fuzz/corpus.
# Prints the executions and the coverage of every harness. An input that breaks a reader is
# copied to tests/fuzz/crashes/NAME, where ./test replays it from then on; the script then ends
# with status 1.
#   fuzz.sh [HARNESS...]        e.g. FUZZ_SECONDS=600 fuzz.sh feedindex copyorder
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
seconds=${FUZZ_SECONDS:-60}
jobs=${DOVRELLE_JOBS:-$(nproc)}

bash scripts/install-deps.sh test

build=build-fuzz
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
  -DDOVRELLE_FUZZ=ON >/dev/null

all=$(sed -n '/^set(DOVRELLE_FUZZ_HARNESSES/,/^)/p' tests/fuzz/CMakeLists.txt | sed '1d;$d' | tr -d ' ' | tr 'A-Z' 'a-z')
if [ $# -gt 0 ]; then harnesses="$*"; else harnesses=$all; fi
targets=()
for h in $harnesses; do
  if ! grep -qx "$h" <<<"$all"; then
    echo "fuzz: no harness $h; there are: $(echo $all)" >&2
    exit 2
  fi
  targets+=("fuzz_$h")
done
cmake --build "$build" -j "$jobs" --target "${targets[@]}"

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0:strict_string_checks=1"
export LSAN_OPTIONS="suppressions=$root/tests/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export TMPDIR="$root/$build/tmp"
mkdir -p "$TMPDIR"

report="$root/$build/fuzz-report.txt"
printf '%-16s %12s %8s %8s %8s %8s\n' harness executions cov ft corpus crashes | tee "$report"
status=0
for h in $harnesses; do
  work="$root/$build/corpus/$h"
  artifacts="$root/$build/crashes/$h"
  kept="$root/tests/fuzz/crashes/$h"
  mkdir -p "$work" "$artifacts"
  log="$root/$build/fuzz-$h.log"
  set +e
  "$root/$build/bin/fuzz_$h" -max_total_time="$seconds" -print_final_stats=1 -timeout=20 -rss_limit_mb=2048 \
    -max_len=65536 -artifact_prefix="$artifacts/" "$work" "$root/tests/fuzz/corpus/$h" >"$log" 2>&1
  rc=$?
  set -e
  execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  last=$(grep -E '^#[0-9]+' "$log" | tail -1 || true)
  cov=$(sed -n 's/.* cov: \([0-9]*\).*/\1/p' <<<"$last")
  ft=$(sed -n 's/.* ft: \([0-9]*\).*/\1/p' <<<"$last")
  corpus=$(find "$work" -type f | wc -l)
  crashes=0
  for f in "$artifacts"/*; do
    [ -f "$f" ] || continue
    mkdir -p "$kept"
    cp "$f" "$kept/"
    crashes=$((crashes + 1))
  done
  rm -f "$artifacts"/*
  printf '%-16s %12s %8s %8s %8s %8s\n' "$h" "${execs:-?}" "${cov:-?}" "${ft:-?}" "$corpus" "$crashes" | tee -a "$report"
  if [ "$rc" -ne 0 ] || [ "$crashes" -gt 0 ]; then
    echo "fuzz: $h stopped with status $rc; its log is $log, the input in $kept" >&2
    status=1
  fi
done
exit $status
