#!/usr/bin/env bash
# Builds the Windows SDK the program is cross-built against: MariaDB Connector/C and Qt's base
# module (Core, Gui, Widgets, Sql with the MySQL plugin, Network for the receipt printer, the
# windows platform plugin, the Vista style), from Debian's source packages and nothing else. The SDK is cached outside the work tree
# (TAHSILMATIK_WINDOWS_CACHE, default ~/.cache/tahsilmatik-windows) under a key made of the source
# versions, the project's patches, this recipe and the toolchain file, so a change to any of them
# builds a new one; a build that did not finish is never taken for a finished one.
#
# Prints the SDK's folder as its last line. Called by scripts/windows.sh; the cross-compiler must
# already be installed (scripts/deps.sh windows).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/.." && pwd)
cache=${TAHSILMATIK_WINDOWS_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/tahsilmatik-windows}
jobs=${JOBS:-$(nproc)}
toolchain=$root/packaging/windows/mingw-w64.cmake
patches=$root/packaging/windows/patches

say() { printf 'windows-sdk: %s\n' "$*" >&2; }

# --- The recipe: every option here is part of the cache key. ---------------------------------------
CONNECTOR_OPTIONS=(
  -DCMAKE_BUILD_TYPE=Release
  -DWITH_SSL=SCHANNEL -DWITH_UNIT_TESTS=OFF -DWITH_CURL=OFF -DWITH_EXTERNAL_ZLIB=OFF
)
QT_OPTIONS=(
  -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=ON
  -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF
  -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake
  # Only what the program links: Core, Gui, Widgets, Sql, Network (without OpenSSL: the receipt
  # printer speaks plain TCP).
  -DFEATURE_network=ON -DINPUT_openssl=no -DFEATURE_dbus=OFF -DFEATURE_testlib=OFF -DFEATURE_printsupport=OFF
  -DFEATURE_xml=OFF -DFEATURE_concurrent=OFF -DFEATURE_vulkan=OFF -DFEATURE_icu=OFF
  -DFEATURE_zstd=OFF -DFEATURE_jpeg=OFF -DFEATURE_sql_mysql=ON
  -DFEATURE_sql_odbc=OFF -DFEATURE_sql_psql=OFF -DFEATURE_sql_db2=OFF -DFEATURE_sql_ibase=OFF
  -DFEATURE_sql_oci=OFF
  # Debian's tarball has neither SQLite nor Wintab in 3rdparty.
  -DFEATURE_sql_sqlite=OFF -DFEATURE_tabletevent=OFF
  -DINPUT_opengl=no
  # The libraries Qt bundles, not the host's.
  -DFEATURE_system_zlib=OFF -DFEATURE_system_pcre2=OFF -DFEATURE_system_harfbuzz=OFF
  -DFEATURE_system_png=OFF -DFEATURE_system_doubleconversion=OFF -DFEATURE_system_freetype=OFF
)
SOURCE_PACKAGES=(qt6-base mariadb)

# --- Debian's sources, through a private apt setup that leaves the machine's own untouched. ---------
apt_dir=$cache/apt
src_dir=$cache/sources
mkdir -p "$apt_dir/lists/partial" "$src_dir"
cat > "$apt_dir/sources.list" <<'EOF'
deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] http://deb.debian.org/debian bookworm main
EOF
APT_OPTS=(-o "Dir::Etc::sourcelist=$apt_dir/sources.list" -o Dir::Etc::sourceparts=-
          -o "Dir::State::Lists=$apt_dir/lists" -o APT::Sandbox::User=root)

exec 9> "$cache/lock"
flock 9   # one build of the SDK at a time on this machine

say "reading Debian's source index (bookworm main)"
apt-get "${APT_OPTS[@]}" -qq update

# Which .dsc each source package is at now: its version is part of the key.
dsc_of() {
  apt-get "${APT_OPTS[@]}" source --print-uris "$1" 2>/dev/null | awk '$2 ~ /\.dsc$/ { print $2; exit }'
}
declare -A DSC
for pkg in "${SOURCE_PACKAGES[@]}"; do
  DSC[$pkg]=$(dsc_of "$pkg")
  [ -n "${DSC[$pkg]}" ] || { say "no source package $pkg in the index"; exit 1; }
done

key=$( {
  for pkg in "${SOURCE_PACKAGES[@]}"; do echo "${DSC[$pkg]}"; done
  printf '%s\n' "${CONNECTOR_OPTIONS[@]}" "${QT_OPTIONS[@]}"
  cat "$toolchain"
  if [ -d "$patches" ]; then find "$patches" -name '*.patch' | sort | xargs -r cat; fi
} | sha256sum | cut -c1-16)
sdk=$cache/sdk-$key

if [ -f "$sdk/.complete" ]; then
  say "cached SDK $sdk (${DSC[qt6-base]}, ${DSC[mariadb]})"
  echo "$sdk"
  exit 0
fi
say "no finished SDK for this recipe ($key): building it; this takes about half an hour"
rm -rf "$sdk"

# Download (apt checks them against the signed index), then check every file against the
# checksums that its .dsc carries.
for pkg in "${SOURCE_PACKAGES[@]}"; do
  dsc=$src_dir/${DSC[$pkg]}
  if [ ! -f "$dsc" ]; then
    say "downloading the source of $pkg"
    (cd "$src_dir" && apt-get "${APT_OPTS[@]}" -qq source --download-only "$pkg" >/dev/null)
  fi
  awk '/^Checksums-Sha256:/ { on = 1; next } /^[^ ]/ { on = 0 } on && NF == 3 { print $1 "  " $3 }' \
    "$dsc" > "$src_dir/${DSC[$pkg]}.sha256"
  (cd "$src_dir" && sha256sum --quiet -c "${DSC[$pkg]}.sha256") \
    || { say "checksum mismatch in the source of $pkg"; exit 1; }
done
orig_of() {  # the upstream tarball that a .dsc names
  awk '/^Checksums-Sha256:/ { on = 1; next } /^[^ ]/ { on = 0 } on && $3 ~ /\.orig\.tar\.[a-z]+$/ { print $3 }' \
    "$src_dir/$1"
}

work=$cache/work-$key
rm -rf "$work"
mkdir -p "$work" "$sdk"
cp "$toolchain" "$sdk/mingw-w64.cmake"
log=$work/build.log
say "full build log: $log"

# Ninja prints one line per step: keep them all in the log, show one in 50 with the minutes so far.
progress() {
  local what=$1 start=$SECONDS line
  while IFS= read -r line; do
    printf '%s\n' "$line" >> "$log"
    if [[ $line =~ ^\[([0-9]+)/([0-9]+)\] ]] \
       && (( BASH_REMATCH[1] % 50 == 0 || BASH_REMATCH[1] == BASH_REMATCH[2] )); then
      say "$what: step ${BASH_REMATCH[1]} of ${BASH_REMATCH[2]} ($(( (SECONDS - start) / 60 )) min)"
    fi
  done
}

# MariaDB Connector/C: the libmariadb folder of the MariaDB server's source.
say "unpacking MariaDB Connector/C from $(orig_of "${DSC[mariadb]}")"
tar -C "$work" -xzf "$src_dir/$(orig_of "${DSC[mariadb]}")" --wildcards 'mariadb-*/libmariadb/*'
connector_src=$(echo "$work"/mariadb-*/libmariadb)
say "configuring MariaDB Connector/C"
cmake -S "$connector_src" -B "$work/connector" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$sdk/mingw-w64.cmake" \
  -DCMAKE_INSTALL_PREFIX="$sdk" "${CONNECTOR_OPTIONS[@]}" >> "$log" 2>&1 \
  || { tail -n 40 "$log"; exit 1; }
say "building MariaDB Connector/C"
cmake --build "$work/connector" -j"$jobs" 2>&1 | progress connector
[ "${PIPESTATUS[0]}" -eq 0 ] || { tail -n 40 "$log"; exit 1; }
cmake --install "$work/connector" >> "$log" 2>&1
[ -f "$sdk/lib/mariadb/libmariadb.dll" ] && [ -f "$sdk/lib/mariadb/liblibmariadb.dll.a" ] \
  || { say "the connector's libmariadb.dll or its import library is missing"; exit 1; }

say "unpacking Qt's base module from $(orig_of "${DSC[qt6-base]}")"
tar -C "$work" -xJf "$src_dir/$(orig_of "${DSC[qt6-base]}")"
qt_src=$(echo "$work"/qtbase-everywhere-src-*)
if [ -d "$patches" ]; then
  for p in $(find "$patches" -name '*.patch' | sort); do
    say "applying $(basename "$p")"
    patch -d "$qt_src" -p1 --quiet < "$p"
  done
fi
say "configuring Qt for win32-g++"
cmake -S "$qt_src" -B "$work/qtbase" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$sdk/mingw-w64.cmake" \
  -DCMAKE_INSTALL_PREFIX="$sdk" "${QT_OPTIONS[@]}" \
  -DMySQL_INCLUDE_DIR="$sdk/include/mariadb" -DMySQL_LIBRARY="$sdk/lib/mariadb/liblibmariadb.dll.a" \
  >> "$log" 2>&1 || { tail -n 60 "$log"; exit 1; }
grep -qiE 'mysql \.+ yes' "$work/qtbase/config.summary" \
  || { say "Qt would be built without its MySQL plugin"; grep -i mysql "$work/qtbase/config.summary" >&2; exit 1; }
say "building Qt (about a thousand steps)"
cmake --build "$work/qtbase" -j"$jobs" 2>&1 | progress qtbase
[ "${PIPESTATUS[0]}" -eq 0 ] || { grep -B2 -A20 'FAILED' "$log" | head -n 60; exit 1; }
cmake --install "$work/qtbase" >> "$log" 2>&1

for f in bin/Qt6Core.dll bin/Qt6Gui.dll bin/Qt6Widgets.dll bin/Qt6Sql.dll bin/Qt6Network.dll plugins/platforms/qwindows.dll \
         plugins/sqldrivers/qsqlmysql.dll plugins/styles/qwindowsvistastyle.dll; do
  [ -f "$sdk/$f" ] || { say "the SDK lacks $f"; exit 1; }
done
# Where the sources came from, for the licence notes that ship with the program.
for pkg in "${SOURCE_PACKAGES[@]}"; do echo "$pkg ${DSC[$pkg]} $(orig_of "${DSC[$pkg]}")"; done > "$sdk/SOURCES"
rm -rf "$work"
touch "$sdk/.complete"
say "SDK ready in $sdk"
echo "$sdk"
