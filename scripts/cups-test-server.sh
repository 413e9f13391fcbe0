#!/usr/bin/env bash
# A private CUPS server for one test run, in a folder of its own, listening only on a local
# socket there, with one queue "VirtualPDF" (cups-pdf) as its default destination. Jobs printed
# to it land as PDF files in $HOME/PDF of the user who printed them.
#   cups-test-server.sh start DIR   prints the CUPS_SERVER value (the socket) on success
#   cups-test-server.sh stop DIR
set -euo pipefail

action=${1:?start or stop}
dir=$(realpath -m "${2:?server folder}")
queue=VirtualPDF
ppd=/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd

stop_server() {
  if [ -f "$dir/cupsd.pid" ]; then
    pid=$(cat "$dir/cupsd.pid")
    # Only the server this script started in this folder, and only while it is still that cupsd.
    if [ -n "$pid" ] && [ "$(cat "/proc/$pid/comm" 2>/dev/null || true)" = "cupsd" ]; then
      kill "$pid" 2>/dev/null || true
      for _ in $(seq 1 50); do
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
      done
    fi
    rm -f "$dir/cupsd.pid"
  fi
}

case "$action" in
start)
  command -v cupsd >/dev/null 2>&1 || { echo "cups-test-server: cupsd is not installed (package cups)" >&2; exit 1; }
  command -v lpadmin >/dev/null 2>&1 || { echo "cups-test-server: lpadmin is not installed (package cups-client)" >&2; exit 1; }
  [ -x /usr/lib/cups/backend/cups-pdf ] || { echo "cups-test-server: the cups-pdf backend is missing (package printer-driver-cups-pdf)" >&2; exit 1; }
  [ -f "$ppd" ] || { echo "cups-test-server: $ppd is missing (package printer-driver-cups-pdf)" >&2; exit 1; }
  [ "$(id -u)" -eq 0 ] || { echo "cups-test-server: cupsd needs to be started as root" >&2; exit 1; }

  stop_server
  rm -rf "$dir"
  mkdir -p "$dir/root/ppd" "$dir/root/ssl" "$dir/spool/tmp" "$dir/cache" "$dir/state/certs" "$dir/log"
  # The filters run as lp and have to reach the spool below this folder.
  chmod 755 "$dir" "$dir/root" "$dir/log" "$dir/cache" "$dir/state"
  chgrp lp "$dir/spool" "$dir/spool/tmp"
  chmod 0710 "$dir/spool"
  chmod 1770 "$dir/spool/tmp"
  socket="$dir/cups.sock"

  cat >"$dir/cups-files.conf" <<EOF
ServerRoot $dir/root
RequestRoot $dir/spool
TempDir $dir/spool/tmp
CacheDir $dir/cache
StateDir $dir/state
ErrorLog $dir/log/error_log
AccessLog $dir/log/access_log
PageLog $dir/log/page_log
User lp
Group lp
SystemGroup root lpadmin
FileDevice No
EOF
  cat >"$dir/cupsd.conf" <<EOF
Listen $socket
LogLevel warn
Browsing No
WebInterface No
DefaultAuthType None
<Location />
  Order allow,deny
  Allow all
</Location>
<Policy default>
  <Limit All>
    Order deny,allow
  </Limit>
</Policy>
EOF
  cp "$dir/cupsd.conf" "$dir/root/cupsd.conf"

  cupsd -t -c "$dir/cupsd.conf" -s "$dir/cups-files.conf" >"$dir/log/check.log" 2>&1 \
    || { cat "$dir/log/check.log" >&2; exit 1; }
  setsid cupsd -f -c "$dir/cupsd.conf" -s "$dir/cups-files.conf" </dev/null >"$dir/log/cupsd.out" 2>&1 &
  echo $! >"$dir/cupsd.pid"

  for _ in $(seq 1 100); do
    [ -S "$socket" ] && break
    sleep 0.1
  done
  if [ ! -S "$socket" ]; then
    echo "cups-test-server: cupsd did not open $socket" >&2
    cat "$dir/log/cupsd.out" "$dir/log/error_log" 2>/dev/null >&2 || true
    stop_server
    exit 1
  fi
  export CUPS_SERVER="$socket"
  if ! lpadmin -p "$queue" -v cups-pdf:/ -E -P "$ppd" >"$dir/log/lpadmin.log" 2>&1 \
     || ! lpadmin -d "$queue" >>"$dir/log/lpadmin.log" 2>&1; then
    cat "$dir/log/lpadmin.log" "$dir/log/error_log" 2>/dev/null >&2 || true
    stop_server
    exit 1
  fi
  echo "$socket"
  ;;
stop)
  stop_server
  ;;
*)
  echo "usage: cups-test-server.sh start|stop DIR" >&2
  exit 2
  ;;
esac
