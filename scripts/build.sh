#!/usr/bin/env bash
# Installs what is missing, configures and builds into BUILD_DIR (default build/). Arguments go to
# `cmake --build`, e.g. `--target tahsilmatik`; without them everything is built.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/.." && pwd)
build=${BUILD_DIR:-$root/build}

"$here/deps.sh"
mkdir -p "$build"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo > "$build.configure.log" 2>&1 \
  || { cat "$build.configure.log"; exit 1; }
cmake --build "$build" -j"$(nproc)" "$@"
