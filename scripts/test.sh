#!/usr/bin/env bash
# Sets up and runs every test: installs what is missing, builds with the sanitizers, starts a
# private PostgreSQL server, runs the tests against SQLite and that server, and stops it again.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh

build=${BUILD_DIR:-build}
werror=OFF
if [ "${CI:-}" = "true" ]; then werror=ON; fi
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DDOVRELLE_SANITIZE=ON -DDOVRELLE_WERROR=$werror >/dev/null
start=$(date +%s)
cmake --build "$build" -j2
echo "build: $(( $(date +%s) - start )) s"

root=$PWD
pgdir="$root/$build/pg-test"
uri=$(bash scripts/pg-test-server.sh start "$pgdir")
# A private CUPS server for the printing tests; without one they try to start their own and say
# SKIPPED with the reason when that fails as well.
cupsdir=$(mktemp -d /tmp/dovrelle-cups.XXXXXX)
cleanup() {
  bash "$root/scripts/cups-test-server.sh" stop "$cupsdir" || true
  rm -rf "$cupsdir"
  bash "$root/scripts/pg-test-server.sh" stop "$pgdir"
}
trap cleanup EXIT
if cups=$(bash scripts/cups-test-server.sh start "$cupsdir" 2>"$cupsdir.err"); then
  export DOVRELLE_TEST_CUPS_SERVER="$cups"
else
  echo "test: no CUPS server, the printing tests will skip: $(cat "$cupsdir.err")" >&2
fi
rm -f "$cupsdir.err"

export DOVRELLE_TEST_PG_URI="$uri"
export DOVRELLE_REQUIRE_PG=1
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0:strict_string_checks=1"
export LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export QT_QPA_PLATFORM=offscreen

cd "$build"
ctest --output-on-failure -j2 --timeout 600
