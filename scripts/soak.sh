#!/usr/bin/env bash
# The long runs of the reliability checks: every kill loop (archiving a card of 20 files, an edit
# that removes and adds items, deleting a card, the copier placing a batch, the feed writer, the
# settings save) SOAK_RUNS times (default 200) instead of the 20 of ./test, on SQLite and on the
# private PostgreSQL server, and the races of workstations at work on one archive (the four
# workstations' for SOAK_RACE_SECONDS, 60 unless set). It builds and runs through scripts/test.sh,
# so it installs and starts what the tests need.
#   soak.sh            SOAK_RUNS=1000 SOAK_RACE_SECONDS=600 soak.sh
set -euo pipefail
cd "$(dirname "$0")/.."
export DOVRELLE_KILL_RUNS=${SOAK_RUNS:-200}
export DOVRELLE_RACE_SECONDS=${SOAK_RACE_SECONDS:-60}
# Only the kill loops, the races and the full and vanished folders, of the three test programs that hold them.
export GTEST_FILTER='*Kill*:*Workstations*:*FullDisks*'
export DOVRELLE_TEST_TIMEOUT_FACTOR=${DOVRELLE_TEST_TIMEOUT_FACTOR:-12}
start=$(date +%s)
status=0
bash scripts/test.sh -R '^(base_tests|baskets_tests|cards_tests)$' || status=$?
echo "soak: $DOVRELLE_KILL_RUNS runs per kill loop, races of $DOVRELLE_RACE_SECONDS s, $(( $(date +%s) - start )) s in all, status $status"
exit $status
