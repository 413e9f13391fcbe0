#!/usr/bin/env bash
# Installs what the program needs, builds it optimised in build-run (no tests, no benchmarks),
# makes a demo archive in ./demo on first use and starts the program there.
#   run.sh [PROGRAM ARGUMENTS...]
#   run.sh --smoke   makes a demo archive in a temporary folder, starts the program on it under
#                    Xvfb and a window manager, waits for its login window, cancels the login and
#                    exits 0 when the program ended with status 0; otherwise says what went wrong
#                    on one line and exits non-zero. Nothing is left behind.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

smoke=0
if [ "${1:-}" = "--smoke" ]; then
  smoke=1
  shift
fi

if [ $smoke -eq 1 ]; then
  bash scripts/install-deps.sh smoke
else
  bash scripts/install-deps.sh run
fi

build=build-run
jobs=${DOVRELLE_JOBS:-$(nproc)}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DDOVRELLE_SANITIZE=OFF \
  -DDOVRELLE_TESTS=OFF -DDOVRELLE_BENCH=OFF >/dev/null
start=$(date +%s)
cmake --build "$build" -j "$jobs" --target dovrelle dovrelle-admin dovrelle-fm dovrelle-feed dovrelle-scan
echo "run: program built in $(( $(date +%s) - start )) s in $build/bin"
bin="$root/$build/bin"

# The web page view's browser refuses its sandbox as root.
if [ "$(id -u)" -eq 0 ]; then
  export QTWEBENGINE_DISABLE_SANDBOX=1
  export QTWEBENGINE_CHROMIUM_FLAGS="${QTWEBENGINE_CHROMIUM_FLAGS:---no-sandbox --disable-gpu}"
fi

if [ $smoke -eq 0 ]; then
  home="$root/demo"
  if [ ! -f "$home/COM/pathes.txt" ]; then
    bash scripts/make-demo.sh "$bin" "$home"
  fi
  export DOVRELLE_HOME="$home"
  if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "run: no display here; starting the program under Xvfb"
    exec xvfb-run -a -s "-screen 0 1280x800x24" "$bin/dovrelle" "$@"
  fi
  exec "$bin/dovrelle" "$@"
fi

# --smoke from here on.
fail() {
  echo "smoke: FAILED: $*" >&2
  exit 1
}

work=$(mktemp -d "${TMPDIR:-/tmp}/dovrelle-smoke.XXXXXX")
xvfb_pid=""
wm_pid=""
app_pid=""
stop_pid() {
  local pid=$1
  [ -n "$pid" ] || return 0
  kill "$pid" 2>/dev/null || return 0
  for _ in $(seq 1 50); do
    kill -0 "$pid" 2>/dev/null || return 0
    sleep 0.1
  done
  kill -9 "$pid" 2>/dev/null || true
}
cleanup() {
  stop_pid "$app_pid"
  stop_pid "$wm_pid"
  stop_pid "$xvfb_pid"
  rm -rf "$work"
}
trap cleanup EXIT

home="$work/demo"
bash scripts/make-demo.sh "$bin" "$home" >"$work/demo.log" 2>&1 \
  || { cat "$work/demo.log" >&2; fail "the demo archive could not be made (see above)"; }
echo "smoke: demo archive made in a temporary folder"

# Xvfb picks a free display itself and writes its number to the pipe.
exec 3<> <(:)
Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
display=""
read -r -t 30 display <&3 || true
exec 3>&-
[ -n "$display" ] || { cat "$work/xvfb.log" >&2; fail "Xvfb did not start"; }
export DISPLAY=":$display"
unset WAYLAND_DISPLAY
openbox >"$work/openbox.log" 2>&1 &
wm_pid=$!

export DOVRELLE_HOME="$home"
export QT_QPA_PLATFORM=xcb
# What the program keeps in temporary and runtime folders goes with the rest.
mkdir -m 700 "$work/tmp" "$work/runtime"
export TMPDIR="$work/tmp" XDG_RUNTIME_DIR="$work/runtime"
start=$(date +%s)
"$bin/dovrelle" >"$work/dovrelle.log" 2>&1 &
app_pid=$!

timeout=${DOVRELLE_SMOKE_TIMEOUT:-120}
window=""
while [ -z "$window" ]; do
  if ! kill -0 "$app_pid" 2>/dev/null; then
    status=0
    wait "$app_pid" || status=$?
    app_pid=""
    cat "$work/dovrelle.log" >&2
    fail "the program ended with status $status before its login window appeared"
  fi
  if [ $(( $(date +%s) - start )) -ge "$timeout" ]; then
    cat "$work/dovrelle.log" >&2
    fail "no login window within $timeout s"
  fi
  # The first window the program shows is its login: the main window comes only after it.
  window=$(xdotool search --onlyvisible --pid "$app_pid" --name '.+' 2>/dev/null | head -n1 || true)
  [ -n "$window" ] || sleep 0.5
done
name=$(xdotool getwindowname "$window" 2>/dev/null || true)
# A picture of what came up, for whoever looks into a failed run.
if [ -n "${DOVRELLE_SMOKE_SHOT:-}" ]; then
  sleep 1
  import -window root "$DOVRELLE_SMOKE_SHOT" 2>/dev/null || true
fi
echo "smoke: login window \"$name\" is up after $(( $(date +%s) - start )) s"

# Cancelling the login ends the program with status 0.
# The key goes through XTEST to the focused window (Qt ignores keys sent to a window directly).
xdotool windowactivate --sync "$window" >/dev/null 2>&1 || true
xdotool key --clearmodifiers Escape
for _ in $(seq 1 100); do
  kill -0 "$app_pid" 2>/dev/null || break
  sleep 0.2
done
if kill -0 "$app_pid" 2>/dev/null; then
  cat "$work/dovrelle.log" >&2
  fail "the program did not end when its login was cancelled"
fi
status=0
wait "$app_pid" || status=$?
app_pid=""
if [ "$status" -ne 0 ]; then
  cat "$work/dovrelle.log" >&2
  fail "the program ended with status $status when its login was cancelled"
fi
echo "smoke: passed (the program started, showed its login window and ended with status 0)"
