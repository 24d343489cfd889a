#!/usr/bin/env bash
# A private MariaDB server for tests, benchmarks and the demo.
#
#   mariadb_private.sh start DIR [PORT]   fresh data directory under DIR, server on 127.0.0.1:PORT
#                                         (a free port when PORT is not given), root password
#                                         73507350, database zerdapos created from db/schema.sql
#   mariadb_private.sh start --no-innodb DIR [PORT]
#                                         the same as a server without InnoDB, as older MyISAM-only
#                                         restaurant servers ran: every table MyISAM, the schema's
#                                         ENGINE=InnoDB taken as MyISAM (no NO_ENGINE_SUBSTITUTION)
#   mariadb_private.sh stop DIR           stops the server that DIR belongs to (if any)
#
# Only the server whose pid file lies in DIR is ever stopped; no other server is touched.
# After start, DIR/port, DIR/socket and DIR/pid tell clients where the server is.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/.." && pwd)
ROOT_PASSWORD=73507350

die() { echo "mariadb_private: $*" >&2; exit 1; }

port_busy() { (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null; }

stop_server() {
  local dir=$1 pid
  [ -f "$dir/pid" ] || return 0
  pid=$(cat "$dir/pid" 2>/dev/null || true)
  if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then
    # Make sure the pid really is our server before signalling it.
    if tr '\0' ' ' < "/proc/$pid/cmdline" 2>/dev/null | grep -q -- "--datadir=$dir/data"; then
      kill -TERM "$pid" 2>/dev/null || true
      for _ in $(seq 1 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
      kill -KILL "$pid" 2>/dev/null || true
    fi
  fi
  rm -f "$dir/pid"
}

start_server() {
  local dir=$1 port=${2:-} engine_options
  if [ "$no_innodb" = 1 ]; then
    engine_options=(--innodb=OFF --default-storage-engine=MyISAM
                    --sql-mode=STRICT_TRANS_TABLES,ERROR_FOR_DIVISION_BY_ZERO,NO_AUTO_CREATE_USER)
  else
    engine_options=(--innodb-buffer-pool-size=128M --innodb-log-file-size=64M
                    --innodb-flush-log-at-trx-commit=2 --innodb-doublewrite=0)
  fi
  mkdir -p "$dir"
  dir=$(cd "$dir" && pwd)
  # A server left over from an interrupted run on this directory goes first.
  stop_server "$dir"
  rm -rf "$dir/data" "$dir/port" "$dir/socket" "$dir/server.log"
  mkdir -p "$dir/data" "$dir/tmp"

  if [ -z "$port" ]; then
    port=$(( 20000 + (RANDOM % 20000) ))
    while port_busy "$port"; do port=$(( port + 1 )); done
  elif port_busy "$port"; then
    die "port $port is already taken by another program"
  fi

  local sock="$dir/mysqld.sock"
  mariadb-install-db --no-defaults --user="$(id -un)" --datadir="$dir/data" \
      --auth-root-authentication-method=normal --skip-test-db > "$dir/install.log" 2>&1 \
      || { cat "$dir/install.log" >&2; die "could not initialise the data directory"; }

  mariadbd --no-defaults --user="$(id -un)" --datadir="$dir/data" --tmpdir="$dir/tmp" \
      --socket="$sock" --port="$port" --bind-address=127.0.0.1 --pid-file="$dir/mariadbd.pid" \
      --lower-case-table-names=1 --character-set-server=utf8mb4 --collation-server=utf8mb4_general_ci \
      --skip-log-bin "${engine_options[@]}" --skip-name-resolve \
      --max-connections=200 --log-error="$dir/server.log" > /dev/null 2>&1 &
  local pid=$!
  echo "$pid" > "$dir/pid"

  for _ in $(seq 1 300); do
    if mariadb-admin --no-defaults --socket="$sock" -uroot ping > /dev/null 2>&1; then break; fi
    kill -0 "$pid" 2>/dev/null || { cat "$dir/server.log" >&2; die "the server stopped while starting"; }
    sleep 0.1
  done
  mariadb-admin --no-defaults --socket="$sock" -uroot ping > /dev/null 2>&1 \
    || { stop_server "$dir"; die "the server did not answer in time"; }

  mariadb --no-defaults --socket="$sock" -uroot <<SQL
ALTER USER 'root'@'localhost' IDENTIFIED BY '$ROOT_PASSWORD';
DELETE FROM mysql.global_priv WHERE User = '';
CREATE USER IF NOT EXISTS 'root'@'127.0.0.1';
ALTER USER 'root'@'127.0.0.1' IDENTIFIED BY '$ROOT_PASSWORD';
GRANT ALL PRIVILEGES ON *.* TO 'root'@'127.0.0.1' WITH GRANT OPTION;
CREATE USER IF NOT EXISTS 'root'@'%';
ALTER USER 'root'@'%' IDENTIFIED BY '$ROOT_PASSWORD';
GRANT ALL PRIVILEGES ON *.* TO 'root'@'%' WITH GRANT OPTION;
CREATE DATABASE zerdapos CHARACTER SET utf8mb4 COLLATE utf8mb4_general_ci;
FLUSH PRIVILEGES;
SQL
  mariadb --no-defaults --socket="$sock" -uroot -p"$ROOT_PASSWORD" zerdapos < "$root/db/schema.sql" \
    || { stop_server "$dir"; die "db/schema.sql did not load"; }

  echo "$port" > "$dir/port"
  echo "$sock" > "$dir/socket"
  echo "mariadb_private: server on 127.0.0.1:$port (socket $sock)"
}

no_innodb=0
if [ "${1:-}" = start ] && [ "${2:-}" = --no-innodb ]; then
  no_innodb=1
  set -- start "${@:3}"
fi
case "${1:-}" in
  start) [ -n "${2:-}" ] || die "usage: $0 start [--no-innodb] DIR [PORT]"; start_server "$2" "${3:-}" ;;
  stop)  [ -n "${2:-}" ] || die "usage: $0 stop DIR"; mkdir -p "$2"; stop_server "$(cd "$2" && pwd)" ;;
  *) die "usage: $0 start [--no-innodb] DIR [PORT] | stop DIR" ;;
esac
