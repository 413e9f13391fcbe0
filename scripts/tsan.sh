#!/usr/bin/env bash
# The whole test suite under ThreadSanitizer, in build-tsan (scripts/test.sh with
# DOVRELLE_TEST_SANITIZER=thread). A data race fails its test program unless tests/tsan.supp lists
# it with the reason it is harmless. The instrumented programs are several times slower, so the
# time limits are multiplied (TSAN_TIMEOUT_FACTOR, 4 unless set) and the kill loops and races kept
# short (TSAN_KILL_RUNS, 5; TSAN_RACE_SECONDS, 10): their checks are of the processes, which
# the ordinary tests and make soak run often; here it is the threads inside each program.
#   tsan.sh [CTEST ARGUMENTS...]
set -euo pipefail
cd "$(dirname "$0")/.."
export DOVRELLE_TEST_SANITIZER=thread
export DOVRELLE_TEST_TIMEOUT_FACTOR=${TSAN_TIMEOUT_FACTOR:-4}
export DOVRELLE_KILL_RUNS=${TSAN_KILL_RUNS:-5}
export DOVRELLE_RACE_SECONDS=${TSAN_RACE_SECONDS:-10}
exec bash scripts/test.sh "$@"
