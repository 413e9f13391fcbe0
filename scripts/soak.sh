#!/usr/bin/env bash
# The long runs of the reliability checks: every kill loop (archiving a card of 20 files, an edit
# that removes and adds items, deleting a card, the copier placing a batch, the feed writer, the
# settings save) SOAK_RUNS times (default 200) instead of the 20 of ./test, on SQLite and on the
# private PostgreSQL server, and the race of workstations archiving at once. It builds and runs
# through scripts/test.sh, so it installs and starts what the tests need.
#   soak.sh            SOAK_RUNS=1000 soak.sh
set -euo pipefail
cd "$(dirname "$0")/.."
export DOVRELLE_KILL_RUNS=${SOAK_RUNS:-200}
# Only the kill loops and the race of the three test programs that hold them.
export GTEST_FILTER='*Kill*:*Workstations*'
start=$(date +%s)
status=0
bash scripts/test.sh -R '^(base_tests|baskets_tests|cards_tests)$' --timeout 7200 || status=$?
echo "soak: $DOVRELLE_KILL_RUNS runs per kill loop, $(( $(date +%s) - start )) s in all, status $status"
exit $status
