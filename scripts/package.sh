#!/usr/bin/env bash
# Builds the Debian package for the workstations: installs what is missing, builds the program in
# Release into BUILD/release (tests left out), packs it with CPack's DEB generator, checks it with
# lintian (an error fails the script) and leaves BUILD/tahsilmatik_<version>_amd64.deb.
# BUILD is BUILD_DIR, default build/; the test build in it is not touched.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/.." && pwd)
build=${BUILD_DIR:-$root/build}
release=$build/release

"$here/deps.sh"
# The hardening flags of Debian's own packages; Release sets the optimisation.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all DEB_CXXFLAGS_MAINT_STRIP="-g -O2"
cxxflags="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)"
ldflags=$(dpkg-buildflags --get LDFLAGS)
mkdir -p "$release"
cmake -S "$root" -B "$release" -DCMAKE_BUILD_TYPE=Release -DTAHSILMATIK_TESTS=OFF \
    -DCMAKE_CXX_FLAGS="$cxxflags" -DCMAKE_EXE_LINKER_FLAGS="$ldflags" \
  > "$release.configure.log" 2>&1 || { cat "$release.configure.log"; exit 1; }
cmake --build "$release" -j"$(nproc)"

rm -rf "$release/cpack"
cpack --config "$release/CPackConfig.cmake" -G DEB -B "$release/cpack" > "$release/cpack.log" 2>&1 \
  || { cat "$release/cpack.log"; exit 1; }
debs=("$release"/cpack/tahsilmatik_*.deb)
[ ${#debs[@]} = 1 ] && [ -f "${debs[0]}" ] || { cat "$release/cpack.log"; echo "package: CPack made no single package" >&2; exit 1; }
deb=$build/$(basename "${debs[0]}")
cp -f "${debs[0]}" "$deb"

# Warnings that stay are named in the README (Installing on a workstation).
echo "package: lintian $deb"
lintian --fail-on error "$deb"
echo "package: $deb"
