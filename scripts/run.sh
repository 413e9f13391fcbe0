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
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=0:new_delete_type_mismatch=0}"
# The web page view's browser refuses its sandbox as root.
if [ "$(id -u)" -eq 0 ]; then
  export QTWEBENGINE_DISABLE_SANDBOX=1
  export QTWEBENGINE_CHROMIUM_FLAGS="${QTWEBENGINE_CHROMIUM_FLAGS:---no-sandbox --disable-gpu}"
fi
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "run: no display here; starting the program under Xvfb"
  exec xvfb-run -a -s "-screen 0 1280x800x24" "$build/bin/dovrelle" "$@"
fi
exec "$build/bin/dovrelle" "$@"
