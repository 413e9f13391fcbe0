#!/usr/bin/env bash
# Sets up and starts the program on a demo archive in ./demo (made on first use).
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
build=${BUILD_DIR:-build}
# Keeps whatever configuration the build folder has (the tests build it with the sanitizers).
cmake -S . -B "$build" -G Ninja >/dev/null
cmake --build "$build" -j2

home="$PWD/demo"
if [ ! -f "$home/COM/pathes.txt" ]; then
  bash scripts/make-demo.sh "$build/bin" "$home"
fi

export DOVRELLE_HOME="$home"
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=0}"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "run: no display here; starting the program under Xvfb"
  exec xvfb-run -a -s "-screen 0 1280x800x24" "$build/bin/dovrelle" "$@"
fi
exec "$build/bin/dovrelle" "$@"
