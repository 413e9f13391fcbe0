#!/usr/bin/env bash
# The mutation check: changes one rule of core at a time, as listed in scripts/mutations.tsv
# (file, original text, mutated text, test program, rule, optional gtest filter; tabs between),
# builds only that test program in build-mutate, runs it, and puts the file back. A mutation the
# tests do not notice is a survivor: it needs a test that catches it, or a line in
# docs/RELIABILITY.md saying why the change is harmless. The file is always put back, also when
# the script is interrupted.
#   mutate.sh [NUMBER...]     only the mutations of these lines of the table (counted from 1)
# The tests run on SQLite only (no PostgreSQL server is started), with the sanitizers.
set -uo pipefail
cd "$(dirname "$0")/.."
root=$PWD
table=$root/scripts/mutations.tsv
build=build-mutate
jobs=${DOVRELLE_JOBS:-$(nproc)}
limit=${MUTATE_TIMEOUT:-900}

bash scripts/install-deps.sh test || exit 1
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DDOVRELLE_SANITIZE=ON -DDOVRELLE_TESTS=ON \
  -DDOVRELLE_BENCH=OFF >/dev/null || exit 1

mapfile -t rows < <(grep -v '^#' "$table" | grep -v '^[[:space:]]*$')
wanted=("$@")
if [ ${#wanted[@]} -eq 0 ]; then
  for i in "${!rows[@]}"; do wanted+=($((i + 1))); done
fi

backup=""
target=""
restore() {
  if [ -n "$backup" ] && [ -f "$backup" ]; then
    # A fresh time on the file, so that the next build compiles the original again.
    cp "$backup" "$target"
    rm -f "$backup"
    backup=""
  fi
}
trap 'restore; exit 130' INT TERM
trap restore EXIT

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0:strict_string_checks=1"
export LSAN_OPTIONS="suppressions=$root/tests/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export QT_QPA_PLATFORM=offscreen
export DOVRELLE_BIN="$root/$build/bin"
export DOVRELLE_TEST_BIN="$root/$build/tests"
unset DOVRELLE_TEST_PG_URI DOVRELLE_REQUIRE_PG

# Every program the table names must build and pass on the tree as it is (with the filters the
# table gives it), or no survivor means anything.
programs=$(printf '%s\n' "${rows[@]}" | awk -F'\t' '{print $4}' | sort -u)
# shellcheck disable=SC2086
cmake --build "$build" -j "$jobs" --target $programs >/dev/null || { echo "mutate: the tree does not build" >&2; exit 1; }
if [ "${MUTATE_BASELINE:-1}" != 0 ]; then
  while IFS=$'\t' read -r p f; do
    if ! timeout "$limit" "$build/tests/$p" --gtest_brief=1 --gtest_filter="${f:-*}" >"$build/mutate-baseline.log" 2>&1; then
      echo "mutate: $p fails before any mutation; see $build/mutate-baseline.log" >&2
      exit 1
    fi
  done < <(printf '%s\n' "${rows[@]}" | awk -F'\t' '{print $4 "\t" $6}' | sort -u)
fi

report="$root/$build/mutate-report.txt"
: >"$report"
tried=0
killed=0
survivors=()
stale=()
for n in "${wanted[@]}"; do
  row=${rows[$((n - 1))]:-}
  if [ -z "$row" ]; then
    echo "mutate: the table has no line $n" >&2
    continue
  fi
  IFS=$'\t' read -r file original mutated program rule filter <<<"$row"
  filter=${filter:-*}
  count=$(ORIGINAL="$original" perl -0777 -ne '$n = () = /\Q$ENV{ORIGINAL}\E/g; print $n' "$file")
  if [ "$count" != "1" ]; then
    stale+=("$n $file: the original text stands $count times")
    continue
  fi
  target=$file
  backup="$root/$build/mutate-backup"
  cp -p "$file" "$backup"
  ORIGINAL="$original" MUTATED="$mutated" perl -0777 -pi -e 's/\Q$ENV{ORIGINAL}\E/$ENV{MUTATED}/' "$file"
  tried=$((tried + 1))
  start=$(date +%s)
  if ! cmake --build "$build" -j "$jobs" --target "$program" >"$build/mutate-build.log" 2>&1; then
    # Not a mutation of a rule but of the language: the table must be mended.
    outcome="NO BUILD"
    tried=$((tried - 1))
    stale+=("$n $file: the mutated text does not build")
  elif timeout "$limit" "$build/tests/$program" --gtest_fail_fast --gtest_brief=1 --gtest_filter="$filter" \
    >"$build/mutate-run.log" 2>&1; then
    outcome="SURVIVED"
    survivors+=("$n $rule: $file: $original -> $mutated ($program)")
  else
    outcome="killed"
    killed=$((killed + 1))
  fi
  restore
  line=$(printf '%3d  %-8s %4ss  %-16s %-34s %s  ->  %s' "$n" "$outcome" "$(( $(date +%s) - start ))" "$rule" "$file" \
    "$original" "$mutated")
  echo "$line" | tee -a "$report"
done
# The restored files are built again, so that the build folder matches the tree.
cmake --build "$build" -j "$jobs" --target $programs >/dev/null 2>&1 || true

echo "mutate: $tried tried, $killed killed, ${#survivors[@]} survived" | tee -a "$report"
for s in "${survivors[@]}"; do echo "survivor: $s" | tee -a "$report"; done
for s in "${stale[@]}"; do echo "mutate: table line $s" | tee -a "$report" >&2; done
[ ${#stale[@]} -eq 0 ] || exit 2
exit 0
