#!/usr/bin/env bash
# Packs the program from a build tree with the same CPack configuration that scripts/package.sh
# uses, unpacks the package into OUTPUT_DIR/root and checks what a workstation would get: the
# files and their owners and modes, the control fields and dependencies, the desktop entry and
# icon, the maintainer scripts (run in a private mount namespace) and lintian's verdict. The
# end-to-end test then runs OUTPUT_DIR/root/usr/bin/tahsilmatik.
#
#   tests/package/check_package.sh BUILD_DIR OUTPUT_DIR VERSION
set -euo pipefail

build=$(realpath "$1")
out=$(realpath -m "$2")
version=$3
name=tahsilmatik
arch=$(dpkg --print-architecture)

failures=0
ok() { echo "package:   ok: $*"; }
not_ok() { echo "package:   NOT OK: $*"; failures=$(( failures + 1 )); }
check() { # description, command...
  local what=$1; shift
  if "$@"; then ok "$what"; else not_ok "$what"; fi
}
die() { echo "package: FAILED: $*" >&2; exit 1; }

for tool in cpack dpkg-deb dpkg-shlibdeps readelf file lintian desktop-file-validate xmllint; do
  command -v "$tool" > /dev/null || die "$tool is missing (scripts/deps.sh installs it)"
done

rm -rf "$out"
mkdir -p "$out"
echo "package: packing $build"
cpack --config "$build/CPackConfig.cmake" -G DEB -B "$out/cpack" > "$out/cpack.log" 2>&1 \
  || { cat "$out/cpack.log"; die "cpack failed"; }
deb=$out/cpack/${name}_${version}_${arch}.deb
[ -f "$deb" ] || { ls "$out/cpack"; die "cpack did not make ${name}_${version}_${arch}.deb"; }
dpkg-deb -x "$deb" "$out/root"
dpkg-deb -e "$deb" "$out/control"
root=$out/root
program=$root/usr/bin/$name

echo "package: contents"
expected="./usr/bin/$name
./usr/share/applications/$name.desktop
./usr/share/doc/$name/changelog.gz
./usr/share/doc/$name/copyright
./usr/share/icons/hicolor/scalable/apps/$name.svg
./usr/share/man/man1/$name.1.gz"
# Columns of dpkg-deb -c: mode, owner/group, size, date, time, path.
listing=$(dpkg-deb -c "$deb")
files=$(awk '$1 !~ /^d/ { print $6 }' <<< "$listing" | sort)
check "exactly the program, its desktop entry, icon, manual page, copyright and changelog" \
  test "$files" = "$expected"
[ "$files" = "$expected" ] || diff <(echo "$expected") <(echo "$files") | sed 's/^/    /' || true
check "every entry belongs to root:root" test -z "$(awk '$2 != "root/root"' <<< "$listing")"
check "nothing is writable by group or others" \
  test -z "$(awk 'substr($1, 6, 1) == "w" || substr($1, 9, 1) == "w"' <<< "$listing")"
check "nothing under /opt (the postinst makes /opt/zerdapos)" test -z "$(awk '$6 ~ /^\.\/opt/' <<< "$listing")"
check "the program is an executable (0755), stripped ELF file" \
  bash -c '[ "$(stat -c %a "$1")" = 755 ] && file -b "$1" | grep -q "^ELF .*, stripped"' _ "$program"
check "the program has no run path into the build tree" \
  test -z "$(readelf -d "$program" | grep -E 'R(UN)?PATH')"
# The Windows program has these five Qt modules and no other: no Charts, no OpenGL. Network
# carries the slip to a receipt printer on the shop's network.
qt_modules=$(readelf -d "$program" | sed -n 's/.*(NEEDED).*\[libQt6\([A-Za-z]*\)\.so.*/\1/p' | sort | tr '\n' ' ')
check "the program links Qt Core, Gui, Network, Sql and Widgets only (it links: $qt_modules)" \
  test "$qt_modules" = "Core Gui Network Sql Widgets "
check "the copyright file gives the program's own files the MIT (Expat) licence" \
  bash -c 'grep -q "^Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/" "$1" &&
    grep -qx "License: Expat" "$1" && ! grep -qi "all rights reserved" "$1"' _ "$root/usr/share/doc/$name/copyright"

echo "package: control fields"
field() { sed -n "s/^$1: //p" "$out/control/control"; }
check "Package $name, Version $version, Architecture $arch" \
  test "$(field Package)/$(field Version)/$(field Architecture)" = "$name/$version/$arch"
check "a maintainer with an address, and a description" \
  bash -c '[[ "$1" == *"<"*@*">" ]] && [ -n "$2" ]' _ "$(field Maintainer)" "$(field Description)"
# Depends as package names, without versions or alternatives.
depends=$(field Depends | tr ',|' '\n\n' | sed 's/(.*//; s/[[:space:]]//g' | grep -v '^$' | sort -u)
depends_on() { grep -qx "$1" <<< "$depends"; }
for runtime in libqt6sql6-mysql fonts-liberation; do
  check "Depends names $runtime, which the program needs without linking it" depends_on "$runtime"
done
check "Recommends names cups-client, whose lp takes the slip to a receipt printer of the system" \
  grep -qw cups-client <<< "$(field Recommends)"
# Each library the program links must come in through Depends: that is what shlibdeps is for.
while read -r soname; do
  # awk reads to the end: leaving early would end ldconfig with SIGPIPE, a failure under pipefail.
  path=$(ldconfig -p | awk -v s="$soname" '$1 == s && /x86-64/ && !found { print $NF; found = 1 }')
  owner=""
  for candidate in "$path" "$(realpath -m "$path")" "${path#/usr}" "/usr${path}"; do
    [ -n "$candidate" ] || continue
    owner=$(dpkg -S "$candidate" 2> /dev/null | head -n 1 | cut -d: -f1) && [ -n "$owner" ] && break
  done
  if [ -z "$owner" ]; then not_ok "no installed package holds $soname"; continue; fi
  check "Depends brings $soname ($owner)" depends_on "$owner"
done < <(readelf -d "$program" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p')
# A program that installs a translator reads Qt's own translation files.
if readelf --dyn-syms -W "$program" | grep -q 'installTranslator'; then
  check "Depends names qt6-translations-l10n, as the program loads a Qt translation" \
    depends_on qt6-translations-l10n
fi
for script in postinst postrm; do
  check "$script is there and executable (0755)" test "$(stat -c %a "$out/control/$script" 2> /dev/null)" = 755
done

echo "package: desktop entry and icon"
desktop=$root/usr/share/applications/$name.desktop
entry() { sed -n "s/^$1=//p" "$desktop"; }
check "the desktop entry is valid" desktop-file-validate "$desktop"
check "its Exec is the installed program" test -x "$root/usr/bin/$(entry Exec | cut -d' ' -f1)"
icon=$root/usr/share/icons/hicolor/scalable/apps/$(entry Icon).svg
check "its Icon is the installed SVG, a well-formed SVG document" \
  bash -c 'xmllint --noout "$1" && grep -q "<svg[^>]*viewBox=" "$1"' _ "$icon"

echo "package: maintainer scripts"
# /opt is a tmpfs of a private mount namespace here, so the machine's own /opt/zerdapos is
# never touched. Needs root: chown to group users is not possible in a user namespace.
if [ "$(id -u)" = 0 ] && getent group users > /dev/null && unshare --mount true 2> /dev/null; then
  scripts_log=$out/maintainer-scripts.log
  if unshare --mount bash -euc '
      control=$1
      mount -t tmpfs tmpfs /opt
      state() { stat -c "%U:%G:%a" /opt/zerdapos; }
      sh "$control/postinst" configure
      echo "install: $(state)"
      touch /opt/zerdapos/Kuryeset.ini
      echo "file: $(stat -c %G /opt/zerdapos/Kuryeset.ini)"
      chmod 2770 /opt/zerdapos
      sh "$control/postinst" configure 0.9
      echo "upgrade: $(state)"
      sh "$control/postrm" purge
      echo "purge with the settings file: $(state)"
      rm /opt/zerdapos/Kuryeset.ini
      sh "$control/postrm" purge
      echo "purge when empty: $(test -e /opt/zerdapos && echo kept || echo removed)"
      sh "$control/postinst" configure 0.9
      echo "upgrade after it went missing: $(state)"
    ' _ "$out/control" > "$scripts_log" 2>&1; then
    sed 's/^/    /' "$scripts_log"
    got=$(cat "$scripts_log")
    expect() { grep -qx "$1" <<< "$got"; }
    check "install makes /opt/zerdapos root:users, group-writable, set-group-ID, not world-writable" \
      expect "install: root:users:2775"
    check "a settings file made there belongs to group users" expect "file: users"
    check "an upgrade keeps the administrator's mode" expect "upgrade: root:users:2770"
    check "purge keeps a folder with a settings file in it" expect "purge with the settings file: root:users:2770"
    check "purge removes the empty folder" expect "purge when empty: removed"
    check "an upgrade puts a missing folder back" expect "upgrade after it went missing: root:users:2775"
  else
    cat "$scripts_log"
    not_ok "the maintainer scripts failed"
  fi
else
  echo "package:   (maintainer scripts not run: they need root and a group users)"
fi

echo "package: lintian"
if lintian --fail-on error --tag-display-limit 0 "$deb" > "$out/lintian.log" 2>&1; then
  ok "lintian reports no error"
else
  not_ok "lintian reports errors"
fi
sed 's/^/    /' "$out/lintian.log"

[ "$failures" = 0 ] || die "$failures check(s) failed; the package is $deb"
echo "package: $deb unpacked into $root, all checks passed"
