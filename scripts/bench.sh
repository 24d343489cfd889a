#!/usr/bin/env bash
# The closing-run benchmark: installs what is missing, builds, starts a private MariaDB server in
# BUILD/benchdb, runs bench_closing against it and stops the server again (also on failure).
# Not part of the test command. Arguments go to bench_closing, e.g.
#   scripts/bench.sh --orders 1000 --lines 8 --reps 5
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/.." && pwd)
build=${BUILD_DIR:-$root/build}

BUILD_DIR=$build "$here/build.sh" --target bench_closing

dbdir="$build/benchdb"
trap '"$here/mariadb_private.sh" stop "$dbdir" || true' EXIT INT TERM
"$here/mariadb_private.sh" start "$dbdir"
"$build/bench/bench_closing" --port "$(cat "$dbdir/port")" --server-pid "$(cat "$dbdir/pid")" "$@"
