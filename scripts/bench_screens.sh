#!/usr/bin/env bash
# The screen benchmark: installs what is missing, builds, starts a private MariaDB server in
# BUILD/benchdb, runs bench_screens against it on the offscreen platform and stops the server
# again (also on failure). Not part of the test command. Arguments go to bench_screens, e.g.
#   scripts/bench_screens.sh --shapes 200x4,1000x8 --reps 5
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/.." && pwd)
build=${BUILD_DIR:-$root/build}

BUILD_DIR=$build "$here/build.sh" --target bench_screens

dbdir="$build/benchdb"
trap '"$here/mariadb_private.sh" stop "$dbdir" || true' EXIT INT TERM
"$here/mariadb_private.sh" start "$dbdir"
QT_QPA_PLATFORM=offscreen "$build/bench/bench_screens" --port "$(cat "$dbdir/port")" \
  --server-pid "$(cat "$dbdir/pid")" "$@"
