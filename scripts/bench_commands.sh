#!/usr/bin/env bash
# The command benchmark: installs what is missing, builds, starts a private MariaDB server in
# BUILD/benchdb, runs the operator's session through the delaying relay (bench_commands) and stops
# the server again (also on failure). Not part of the test command. Arguments go to
# bench_commands, e.g.
#   scripts/bench_commands.sh --couriers 10 --orders 30 --lines 4 --delays 0,2.5,10,25
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/.." && pwd)
build=${BUILD_DIR:-$root/build}

BUILD_DIR=$build "$here/build.sh" --target bench_commands

dbdir="$build/benchdb"
trap '"$here/mariadb_private.sh" stop "$dbdir" || true' EXIT INT TERM
"$here/mariadb_private.sh" start "$dbdir"
"$build/bench/bench_commands" --port "$(cat "$dbdir/port")" "$@"
