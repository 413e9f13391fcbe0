#!/usr/bin/env bash
# A private PostgreSQL server for one test run, in a data folder of its own, on a free loopback
# port. PostgreSQL refuses to run as root, so as root the server runs as the postgres user.
#   pg-test-server.sh start DIR   prints the administrative URI on success
#   pg-test-server.sh stop DIR
set -euo pipefail

action=${1:?start or stop}
# Absolute, but a link named DIR stays a link (it is what 'start' may have made).
dir=$(realpath -m -s "${2:?data folder}")
bindir=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n1)
[ -n "$bindir" ] || { echo "pg-test-server: PostgreSQL is not installed" >&2; exit 1; }

as_owner() {
  # From / : the caller's working folder may be closed to the postgres user as well.
  if [ "$(id -u)" -eq 0 ]; then (cd / && runuser -u postgres -- "$@"); else "$@"; fi
}

# The folder the server really lives in: DIR itself, or where its link points when DIR had to
# stay out of the postgres user's reach (see 'start').
real_dir() { realpath -m "$dir"; }

# Removes DIR, and the temporary folder it links to if it is one.
remove_dir() {
  if [ -L "$dir" ]; then
    target=$(readlink "$dir")
    case "$target" in
    /tmp/dovrelle-pg.*) rm -rf "$target" ;;
    esac
    rm -f "$dir"
  else
    rm -rf "$dir"
  fi
}

case "$action" in
start)
  # A server left behind in this folder by an interrupted run goes first.
  if [ -f "$(real_dir)/data/postmaster.pid" ]; then
    as_owner "$bindir/pg_ctl" -D "$(real_dir)/data" -m immediate -w stop >/dev/null 2>&1 || true
  fi
  remove_dir
  mkdir -p "$dir"
  if [ "$(id -u)" -eq 0 ]; then
    chown postgres: "$dir"
    # The postgres user must reach the folder; where a parent folder is closed to it, the data
    # goes to a temporary folder instead, and DIR becomes a link to it so that 'stop' finds it.
    # initdb and pg_ctl are handed the temporary folder itself: the path through DIR passes the
    # closed parent.
    if ! runuser -u postgres -- test -w "$dir"; then
      rmdir "$dir"
      tmp=$(mktemp -d /tmp/dovrelle-pg.XXXXXX)
      chown postgres: "$tmp"
      ln -s "$tmp" "$dir"
    fi
  fi
  data="$(real_dir)/data"
  as_owner "$bindir/initdb" -D "$data" -U postgres --auth=trust -E UTF8 --locale=C.UTF-8 >"$dir/initdb.log" 2>&1 \
    || { cat "$dir/initdb.log" >&2; exit 1; }
  for attempt in 1 2 3 4 5; do
    port=$(( 20000 + RANDOM % 30000 ))
    if (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null; then continue; fi
    if as_owner "$bindir/pg_ctl" -D "$data" -l "$(real_dir)/server.log" -w -t 60 \
         -o "-p $port -c listen_addresses=127.0.0.1 -c unix_socket_directories='' -c fsync=off -c max_connections=200" \
         start >/dev/null; then
      echo "$port" >"$dir/port"
      echo "postgresql://postgres@127.0.0.1:$port/postgres"
      exit 0
    fi
  done
  cat "$dir/server.log" >&2
  exit 1
  ;;
stop)
  if [ -f "$(real_dir)/data/postmaster.pid" ]; then
    as_owner "$bindir/pg_ctl" -D "$(real_dir)/data" -m fast -w stop >/dev/null || true
  fi
  # A server whose data went to a temporary folder leaves nothing behind there.
  if [ -L "$dir" ]; then remove_dir; fi
  ;;
*)
  echo "usage: pg-test-server.sh start|stop DIR" >&2
  exit 2
  ;;
esac
