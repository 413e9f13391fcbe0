#!/usr/bin/env bash
# Installs what the tests need, builds with the sanitizers in build-test (a folder of its own:
# the run command's optimised build is in build-run), starts a private PostgreSQL server and a
# private CUPS server, runs the tests against SQLite and that server, and stops both again.
#   test.sh [CTEST ARGUMENTS...]   e.g. test.sh -R search
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

bash scripts/install-deps.sh test

# DOVRELLE_TEST_SANITIZER=thread (make tsan) builds in build-tsan with ThreadSanitizer instead of
# AddressSanitizer and UndefinedBehaviorSanitizer.
sanitizer=${DOVRELLE_TEST_SANITIZER:-address}
if [ "$sanitizer" = thread ]; then
  build=build-tsan
  sanitize=(-DDOVRELLE_SANITIZE=OFF -DDOVRELLE_TSAN=ON)
else
  build=build-test
  sanitize=(-DDOVRELLE_SANITIZE=ON -DDOVRELLE_TSAN=OFF)
fi
jobs=${DOVRELLE_JOBS:-$(nproc)}
werror=OFF
if [ "${CI:-}" = "true" ]; then werror=ON; fi
# DOVRELLE_TEST_TIMEOUT_FACTOR (make soak, make tsan) multiplies the time limits; it changes no compile.
factor=${DOVRELLE_TEST_TIMEOUT_FACTOR:-1}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug "${sanitize[@]}" -DDOVRELLE_WERROR=$werror \
  -DDOVRELLE_TESTS=ON -DDOVRELLE_BENCH=OFF -DDOVRELLE_TEST_TIMEOUT_FACTOR="$factor" >/dev/null
start=$(date +%s)
cmake --build "$build" -j "$jobs"
echo "test: built in $(( $(date +%s) - start )) s in $build"

pgdir="$root/$build/pg-test"
cupsdir=""
cleanup() {
  if [ -n "$cupsdir" ]; then
    bash "$root/scripts/cups-test-server.sh" stop "$cupsdir" || true
    rm -rf "$cupsdir" "$cupsdir.err"
  fi
  bash "$root/scripts/pg-test-server.sh" stop "$pgdir" || true
}
trap cleanup EXIT
uri=$(bash scripts/pg-test-server.sh start "$pgdir")
# A private CUPS server for the printing tests; without one they try to start their own and say
# SKIPPED with the reason when that fails as well.
cupsdir=$(mktemp -d /tmp/dovrelle-cups.XXXXXX)
if cups=$(bash scripts/cups-test-server.sh start "$cupsdir" 2>"$cupsdir.err"); then
  export DOVRELLE_TEST_CUPS_SERVER="$cups"
else
  echo "test: no CUPS server, the printing tests will skip: $(cat "$cupsdir.err")" >&2
fi
rm -f "$cupsdir.err"

export DOVRELLE_TEST_PG_URI="$uri"
export DOVRELLE_REQUIRE_PG=1
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0:strict_string_checks=1"
export LSAN_OPTIONS="suppressions=$root/tests/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
# Every race fails its test program (status 66) unless tests/tsan.supp says why it is harmless.
# die_after_fork=0: some tests fork a child that runs code of ours (a save killed at a random
# moment) and the library starts threads there.
export TSAN_OPTIONS="suppressions=$root/tests/tsan.supp:second_deadlock_stack=1:exitcode=66:history_size=4:die_after_fork=0"
export QT_QPA_PLATFORM=offscreen

cd "$build"
start=$(date +%s)
status=0
ctest --output-on-failure -j "$jobs" --timeout $((600 * factor)) "$@" || status=$?
echo "test: tests ran in $(( $(date +%s) - start )) s"
exit $status
