#!/usr/bin/env bash
# The test command: installs what is missing, builds, starts the private MariaDB server,
# runs every test with ctest, stops the server. Exits non-zero on any failure.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/.." && pwd)
build=${BUILD_DIR:-$root/build}

BUILD_DIR=$build "$here/build.sh"

# ctest starts the server as a fixture and stops it at the end; the trap also stops it when the
# run is interrupted or ctest itself dies.
trap '"$here/mariadb_private.sh" stop "$build/testdb" || true' EXIT INT TERM
cd "$build"
ctest --output-on-failure --timeout 900 "$@"
