#!/usr/bin/env bash
# Builds the release folder and runs the search and thumbnail benchmarks. The outside programs the
# thumbnail benchmark compares against (djpeg, vipsthumbnail) are installed when missing; they are
# needed by the benchmark only, never by the application.
#   bench/run.sh [ROWS] [PAGES]     (defaults 1000000 and 200)
# PostgreSQL is measured when DOVRELLE_TEST_PG_URI reaches a server
# (scripts/pg-test-server.sh start DIR prints one).
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
build=${DOVRELLE_BENCH_BUILD:-$here/build-release}
rows=${1:-1000000}
pages=${2:-200}

packages=(libjpeg-turbo-progs libvips-tools tesseract-ocr)
missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "bench: installing ${missing[*]}"
  SUDO=""
  if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release
fi
cmake --build "$build" -j"${DOVRELLE_BENCH_JOBS:-2}" --target bench_search bench_thumbs bench_image bench_image_window bench_workflow bench_find bench_text bench_scan

export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
"$build/bin/bench_search" "$rows"
"$build/bin/bench_thumbs" "$pages"
"$build/bin/bench_image"
"$build/bin/bench_image_window"
"$build/bin/bench_workflow"
"$build/bin/bench_find"
"$build/bin/bench_text"
"$build/bin/bench_scan"
