#!/usr/bin/env bash
# Builds the Windows program on Debian and leaves in build/windows/:
#   Tahsilmatik-<version>-setup.exe        the installer (NSIS, Turkish pages)
#   Tahsilmatik-<version>-windows-x64.zip  the runnable folder, for a look or a copy by hand
#
#   scripts/windows.sh          build both
#   scripts/windows.sh --test   build both, then install under Wine and run the installed program
#                               against a private MariaDB (tests/windows/run_wine.sh)
#
# It installs what is missing (scripts/deps.sh windows), builds the Windows SDK once into a cache
# outside the work tree (scripts/windows_sdk.sh: about half an hour the first time, reused after),
# cross-builds the program in Release with MinGW-w64 and packs it. Only Debian packages are
# downloaded.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/.." && pwd)
out=${WINDOWS_BUILD_DIR:-$root/build/windows}
test=0
case "${1:-}" in
  --test) test=1 ;;
  "") ;;
  *) echo "usage: scripts/windows.sh [--test]" >&2; exit 2 ;;
esac

step() { printf 'windows: %s\n' "$*"; }
started=$SECONDS

step "1/6 installing what is missing (scripts/deps.sh windows)"
"$here/deps.sh" windows   # the project's packages and the Windows build's

step "2/6 the Windows SDK: MariaDB Connector/C and Qt's base module from Debian's sources"
sdk=$("$here/windows_sdk.sh" | tail -n 1)
[ -f "$sdk/.complete" ] || { step "no finished SDK"; exit 1; }

step "3/6 cross-building the program in Release"
mkdir -p "$out"
cmake -S "$root" -B "$out/build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$sdk/lib/cmake/Qt6/qt.toolchain.cmake" \
  > "$out/configure.log" 2>&1 || { cat "$out/configure.log"; exit 1; }
cmake --build "$out/build" -j"$(nproc)"
version=$(cat "$out/build/version.txt")

step "4/6 the runnable folder"
stage=$out/stage/Tahsilmatik
rm -rf "$out/stage"
cmake --install "$out/build" --prefix "$stage" > "$out/install.log"
# Debian's MinGW runtime and Qt's libraries carry debugging sections: a third of the folder.
find "$stage" \( -name '*.exe' -o -name '*.dll' \) -exec x86_64-w64-mingw32-strip --strip-unneeded {} +

# The licence texts of everything the folder carries, beside the program and on the installer's
# licence page.
licenses=$stage/licenses
mkdir -p "$licenses"
read -r _ qt_dsc qt_orig < <(grep '^qt6-base ' "$sdk/SOURCES")
read -r _ mariadb_dsc mariadb_orig < <(grep '^mariadb ' "$sdk/SOURCES")
sources=$(dirname "$sdk")/sources
notices=$out/notices
rm -rf "$notices" && mkdir -p "$notices"
tar -C "$notices" -xJf "$sources/$qt_orig" --wildcards \
  '*/LICENSES/*' '*/src/3rdparty/*' '*/src/corelib/text/*' '*/src/corelib/tools/*' \
  '*/src/gui/painting/*' '*/src/gui/text/*' '*/src/network/kernel/qt_attribution.json' '*/src/network/kernel/PSL-LICENSE.txt'
tar -C "$notices" -xzf "$sources/$mariadb_orig" --wildcards '*/libmariadb/COPYING.LIB'
qt_src=$(echo "$notices"/qtbase-everywhere-src-*)
cp "$root/LICENSE" "$licenses/Tahsilmatik-MIT.txt"
cp "$qt_src/LICENSES/LGPL-3.0-only.txt" "$licenses/Qt-LGPL-3.0.txt"
cp "$qt_src/LICENSES/GPL-3.0-only.txt" "$licenses/Qt-GPL-3.0.txt"
cp "$notices"/mariadb-*/libmariadb/COPYING.LIB "$licenses/MariaDB-Connector-C-LGPL-2.1.txt"
cp /usr/share/doc/mingw-w64-common/copyright "$licenses/MinGW-w64-runtime.txt"
cp /usr/share/doc/gcc-mingw-w64-base/copyright "$licenses/GCC-runtime-libstdc++-libgcc.txt"
# The code that Qt's base module compiles into its libraries, with its own notices.
{
  echo "Third-party code inside Qt's libraries (Qt6Core, Qt6Gui, Qt6Widgets, Qt6Sql, Qt6Network):"
  for dir in 3rdparty/blake2 3rdparty/double-conversion 3rdparty/easing 3rdparty/freetype \
             3rdparty/harfbuzz-ng 3rdparty/icc 3rdparty/libpng 3rdparty/libpsl 3rdparty/md4c 3rdparty/pcre2 \
             3rdparty/pixman 3rdparty/rfc6234 3rdparty/sha3 3rdparty/tinycbor 3rdparty/zlib \
             corelib/text corelib/tools gui/painting gui/text network/kernel; do
    json=$qt_src/src/$dir/qt_attribution.json
    grep -o '"Name": *"[^"]*"' "$json" | sed 's/"Name": *"\(.*\)"/\n==== \1/'
    for file in $(grep -o '"LicenseFile": *"[^"]*"' "$json" | sed 's/.*: *"\(.*\)"/\1/' | sort -u); do
      printf '\n---- %s\n\n' "$file"
      cat "$qt_src/src/$dir/$file"
    done
  done
} > "$licenses/Qt-third-party-notices.txt"
sed -e "s/@VERSION@/$version/g" -e "s/@QT_DSC@/$qt_dsc/g" -e "s/@QT_ORIG@/$qt_orig/g" \
    -e "s/@MARIADB_DSC@/$mariadb_dsc/g" -e "s/@MARIADB_ORIG@/$mariadb_orig/g" \
    "$root/packaging/windows/THIRD-PARTY.txt.in" > "$licenses/README.txt"
# The installer's licence page shows them all, the overview first (UTF-8 with its mark, so that
# the page reads it as UTF-8).
license_text=$out/licenses-all.txt
{
  printf '\xef\xbb\xbf'
  for f in README.txt Tahsilmatik-MIT.txt Qt-LGPL-3.0.txt Qt-GPL-3.0.txt MariaDB-Connector-C-LGPL-2.1.txt \
           MinGW-w64-runtime.txt GCC-runtime-libstdc++-libgcc.txt Qt-third-party-notices.txt; do
    printf '\n\n==================== %s ====================\n\n' "$f"
    cat "$licenses/$f"
  done
} > "$license_text"
rm -rf "$notices"

zip=$out/Tahsilmatik-$version-windows-x64.zip
rm -f "$zip"
(cd "$out/stage" && zip -q -r -9 "$zip" Tahsilmatik)
step "   $(du -sh "$stage" | cut -f1) in $(find "$stage" -type f | wc -l) files; $(basename "$zip"): $(du -h "$zip" | cut -f1)"

step "5/6 the installer"
setup=$out/Tahsilmatik-$version-setup.exe
makensis -V2 -INPUTCHARSET UTF8 -DVERSION="$version" -DSTAGE="$stage" -DICON="$out/build/packaging/windows/tahsilmatik.ico" \
  -DLICENSE_TEXT="$license_text" -DOUTFILE="$setup" "$root/packaging/windows/tahsilmatik.nsi"
step "   $(basename "$setup"): $(du -h "$setup" | cut -f1)"

if [ "$test" = 1 ]; then
  step "6/6 the installed program under Wine (tests/windows/run_wine.sh)"
  "$root/tests/windows/run_wine.sh" "$setup" "$out/wine-test"
else
  step "6/6 (the Wine test runs with --test)"
fi
step "done in $(( (SECONDS - started) / 60 )) min $(( (SECONDS - started) % 60 )) s: $out"
