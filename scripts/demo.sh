#!/usr/bin/env bash
# Runs Tahsilmatik on the demo restaurant: installs what is missing, builds the program, starts a
# private MariaDB server on 127.0.0.1:3306 (the program's fixed port) with fresh demo data, points
# the settings file at it and starts the program on your display. Closing the program stops the
# demo server and puts the settings file back as it was.
#
# Sign in with 1234 (Ayşe Demir). See README.md for what the demo restaurant holds.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/.." && pwd)
build=${BUILD_DIR:-$root/build}
dbdir=$build/demodb
port=3306
settings_dir=/opt/zerdapos
settings=$settings_dir/Kuryeset.ini
# A settings file found at the start waits here until the demo ends; the marker says there was none.
backup=$settings.demo-backup
none_marker=$settings.demo-none

say() { echo "demo: $*"; }
fail() { echo "demo: $*" >&2; exit 1; }
# Looks for a listener on the port without connecting to it: a server that is not ours is not
# even spoken to.
port_busy() { ss -Hltn "sport = :$1" | grep -q .; }

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
# Runs a command on the settings folder, through sudo only when the folder is not ours to write.
settings_cmd() {
  if [ -w "$settings_dir" ]; then "$@"; else $SUDO "$@"; fi
}

if [ -z "${DISPLAY:-}" ]; then
  fail "There is no display (DISPLAY is not set): run the demo from a desktop session."
fi

"$here/deps.sh"

if ! xdpyinfo > /dev/null 2>&1; then
  fail "The display $DISPLAY does not accept connections: run the demo from a desktop session."
fi

echo "demo: building the program into $build"
BUILD_DIR=$build "$here/build.sh" --target tahsilmatik
program=$build/app/tahsilmatik
[ -x "$program" ] || fail "the build did not produce $program"

# A demo server of ours left behind by an interrupted demo goes first; any other server stays.
"$here/mariadb_private.sh" stop "$dbdir"
if port_busy "$port"; then
  fail "Port $port is already in use by another program (perhaps a MySQL/MariaDB server); stop it or run the demo on another machine."
fi

settings_touched=0
created_settings_dir=0
server_started=0
program_pid=""
cleanup() {
  local status=$?
  trap - EXIT INT TERM
  if [ -n "$program_pid" ] && kill -0 "$program_pid" 2> /dev/null; then
    kill -TERM "$program_pid" 2> /dev/null || true
    wait "$program_pid" 2> /dev/null || true
  fi
  if [ "$server_started" = 1 ]; then
    "$here/mariadb_private.sh" stop "$dbdir" || true
    say "demo server stopped"
  fi
  if [ "$settings_touched" = 1 ]; then
    if [ -e "$backup" ]; then
      settings_cmd mv -f "$backup" "$settings" && say "settings file $settings put back as it was"
    elif [ -e "$none_marker" ]; then
      settings_cmd rm -f "$settings" "$none_marker"
      if [ "$created_settings_dir" = 1 ]; then $SUDO rmdir "$settings_dir" 2> /dev/null || true; fi
    fi
  fi
  exit "$status"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

say "starting the demo server on 127.0.0.1:$port (data in $dbdir)"
server_started=1
if ! "$here/mariadb_private.sh" start "$dbdir" "$port"; then
  server_started=0
  if port_busy "$port"; then
    fail "Port $port is already in use by another program; stop it or run the demo on another machine."
  fi
  fail "the demo server did not start (see $dbdir/server.log)"
fi

# The terminal row of the demo is this computer, named as the program will see it.
station=$(hostname | tr '[:lower:]' '[:upper:]')
case "$station" in
  *[\'\\]*) fail "the host name $station cannot be used as a terminal name" ;;
esac
{ printf "SET @istasyon = '%s';\n" "$station"; cat "$root/demo/demo_restaurant.sql"; } \
  | mariadb --no-defaults --default-character-set=utf8mb4 --socket="$(cat "$dbdir/socket")" \
      -uroot -p73507350 zerdapos \
  || fail "the demo data did not load"
say "demo restaurant loaded (terminal $station, working date $(date +%Y-%m-%d))"

if [ ! -d "$settings_dir" ]; then
  $SUDO mkdir -p "$settings_dir"
  created_settings_dir=1
fi
settings_touched=1
if [ -e "$backup" ] || [ -e "$none_marker" ]; then
  # An earlier demo was cut off: what it kept aside is still the user's own file (or its absence).
  say "an earlier demo did not finish; its saved settings are put back when this one ends"
elif [ -e "$settings" ]; then
  settings_cmd cp -p "$settings" "$backup"
  say "your settings file is kept aside as $backup and put back when the demo ends"
else
  settings_cmd touch "$none_marker"
fi
printf '127.0.0.1\n' | settings_cmd tee "$settings" > /dev/null

say "starting Tahsilmatik; sign in with 1234 (Ayşe Demir). Closing it ends the demo."
# Started in the background and waited for, so that Ctrl-C or a TERM reaches the traps at once
# (bash runs traps only after a foreground command has ended); cleanup then ends the program.
"$program" &
program_pid=$!
set +e
wait "$program_pid"
status=$?
set -e
program_pid=""
say "the program ended (exit status $status)"
exit "$status"
