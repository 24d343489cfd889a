#!/usr/bin/env bash
# The Windows program as a technician installs it and an operator uses it, under Wine 8 on Xvfb:
# the installer run silently into a fresh Wine prefix, the installed program started from
# "C:\Program Files\Tahsilmatik" against a real MariaDB server with the demo restaurant, driven with
# real pointer events, and the uninstaller. Port 3306 is made private with namespaces (own
# loopback, own host name, own process tree), as in the Debian end-to-end run.
#
#   tests/windows/run_wine.sh SETUP.EXE [OUTPUT_DIR]      (scripts/windows.sh --test runs it)
#
# 1. silent install without an address: program, shortcuts, uninstaller entry, C:\zerdapos, no file;
# 2. the first start creates the settings file with its placeholder and says so;
# 3. silent install with /SERVER writes the address; another one keeps the file as it is;
# 4. sign-in on the keypad, a courier listed (holds in the database), the charts painted, all of
#    the courier's orders closed (bills, stock rows, orders gone), the success box, the courier's
#    slip at a receipt printer on the network (socat listening on the private loopback), TERK; the
#    keypad, the boxes and the whole board on the screen;
# 4b. the same on a till's 1366 x 768 screen at a display scaling of 125 %, tapped where the
#    windows are at that scaling and the board at the factor it fits its window with;
# 5. silent uninstall: program and shortcuts gone, the settings file kept.
# Screenshots and logs go to OUTPUT_DIR (default build/windows/wine-test).
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)

if [ "${1:-}" != "--inside" ]; then
  [ $# -ge 1 ] || { echo "usage: tests/windows/run_wine.sh SETUP.EXE [OUTPUT_DIR]" >&2; exit 2; }
  setup=$(realpath -m "$1")
  out=$(realpath -m "${2:-$root/build/windows/wine-test}")
  [ -f "$setup" ] || { echo "wine-test: no installer at $setup" >&2; exit 1; }
  for tool in unshare hostname ip Xvfb xdotool import mariadb mariadbd wine wineserver x86_64-w64-mingw32-gcc-posix socat iconv; do
    command -v "$tool" > /dev/null || { echo "wine-test: $tool is missing (scripts/deps.sh windows installs it)" >&2; exit 1; }
  done
  rm -rf "$out"
  mkdir -p "$out"
  x86_64-w64-mingw32-gcc-posix -O2 -o "$out/client_rect.exe" "$here/client_rect.c" -lshell32
  # shellcheck source=../e2e/private_namespaces.sh
  . "$root/tests/e2e/private_namespaces.sh"
  run_inside_private_namespaces wine-test 1 "$0" "$setup" "$out"
fi

# ------------------------------------------------------------------ inside the private namespaces

setup=$2
out=$3
dbdir=$out/db
started=$(date +%s%N)
station=KASA-WINE
password=1234
section='Paket Servis'
LOG_TAG=wine

# shellcheck source=../e2e/screen_driver.sh
. "$root/tests/e2e/screen_driver.sh"
extra_cleanup="wineserver -k"

failures=0
check() { # description, command...: counts a failure instead of stopping, so one run shows them all
  local what=$1; shift
  if "$@"; then log "  ok: $what"; else log "  NOT OK: $what"; failures=$(( failures + 1 )); fi
}
sql_check() { check "$1" sql_is "$2" 1; }

# ---------------------------------------------------------------------------- private machine

ip link set lo up
hostname "$station"
log "namespaces ready: host $station, loopback only"

start_demo_server "$station"
start_xvfb

# A fresh 64-bit prefix, without the offers to install Mono and Gecko.
export WINEPREFIX=$out/prefix WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
wineboot -i > "$out/wineboot.log" 2>&1 || { cat "$out/wineboot.log"; die "wineboot failed"; }
# Wine's own Arial and Times New Roman stand-ins lack Turkish letters at small sizes ("ı" drops
# out): the Liberation faces stand in, drawn smoothed. A real Windows has these fonts.
for face in Arial:'Liberation Sans' 'Times New Roman':'Liberation Serif' 'Courier New':'Liberation Mono'; do
  wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "${face%%:*}" /d "${face#*:}" /f > /dev/null
done
wine reg add 'HKCU\Control Panel\Desktop' /v FontSmoothing /d 2 /f > /dev/null
wine reg add 'HKCU\Control Panel\Desktop' /v FontSmoothingType /t REG_DWORD /d 2 /f > /dev/null
wineserver -w
log "Wine prefix ready ($(wine --version))"

drive_c=$WINEPREFIX/drive_c
appdir="$drive_c/Program Files/Tahsilmatik"
ini=$drive_c/zerdapos/Kuryeset.ini
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Tahsilmatik'
desktop_link=$drive_c/users/Public/Desktop/Tahsilmatik.lnk
menu_link="$drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Tahsilmatik.lnk"
CLIENT_RECT="wine $out/client_rect.exe"

install_silently() { # arguments of the installer
  wine "$setup" /S "$@" > "$out/install.log" 2>&1 || die "the installer failed ($*)"
  wineserver -w
}
registered() { wine reg query "$uninstall_key" /v "$1" 2> /dev/null | tr -d '\r' | grep -q "$2"; }
first_line_is() { [ -f "$ini" ] && [ "$(head -n 1 "$ini" | tr -d '\r')" = "$1" ]; }

start_program() { # log name
  ( cd "$out" && exec wine "C:\\Program Files\\Tahsilmatik\\tahsilmatik.exe" > "$out/$1.log" 2>&1 ) &
  prog_pid=$!
  ln -sf "$1.log" "$out/program.log"
}

# ------------------------------------------------------------------ 1. silent install, no address

install_silently
log "1. installed silently without an address"
check "the program is in C:\\Program Files\\Tahsilmatik" test -f "$appdir/tahsilmatik.exe"
check "Qt's plugins and Turkish texts are beside it" test -f "$appdir/platforms/qwindows.dll" -a \
  -f "$appdir/sqldrivers/qsqlmysql.dll" -a -f "$appdir/translations/qtbase_tr.qm"
check "the licence texts are installed" test -f "$appdir/licenses/README.txt"
check "a Start-menu entry and a desktop shortcut" test -f "$menu_link" -a -f "$desktop_link"
check "the uninstaller is in Windows' list of programs" registered DisplayName Tahsilmatik
check "... with its version" registered DisplayVersion "$(basename "$setup" | sed 's/^Tahsilmatik-\(.*\)-setup\.exe$/\1/')"
check "... its publisher and its icon" registered DisplayIcon 'tahsilmatik.exe,0'
check "C:\\zerdapos exists and holds no settings file yet" test -d "$drive_c/zerdapos" -a ! -e "$ini"

# ------------------------------------------------------- 2. the first start writes the placeholder

start_program first-start
wait_window "Tahsilmatik" 90
shot settings-created
log "2. first start: a message box is up"
check "the program created the settings file with its placeholder" \
  sh -c "head -n 2 '$ini' | tr -d '\r' | tr '\n' '|' | grep -qx '\[Zumrutek\]|Zumrutmasa=localhost|'"
# The placeholder names no reachable server: the start-up messages follow and the program ends.
# Each box is answered with its button ("Tamam" of the information box; the plain message box's
# only button sits at its lower right).
end=$(( $(date +%s) + 60 ))
while kill -0 "$prog_pid" 2> /dev/null && [ "$(date +%s)" -lt "$end" ]; do
  if client_rect_of "Bilgilendirme"; then
    sleep 0.4; IX=$WX; IY=$WY; click_tamam
  elif client_rect_of "Tahsilmatik"; then
    sleep 0.4; click $(( WX + WW - 50 )) $(( WY + WH - 22 ))
  else
    sleep 0.3
  fi
done
wait_program_end 5
log "   the start-up messages were shown and the program ended"

# ---------------------------------------------------------------- 3. the address given at install

rm -f "$ini"
install_silently /SERVER=127.0.0.1
check "the installer wrote the address as the first line" first_line_is 127.0.0.1
install_silently /SERVER=10.9.9.9
check "installing again keeps the existing settings file" first_line_is 127.0.0.1
log "3. installed with /SERVER"

# ---------------------------------------------------------------------- 4. an operator's closing

screen_w=1032 screen_h=776
# The client area WX, WY, WW, WH lies wholly on the screen.
on_screen() {
  [ "$WX" -ge 0 ] && [ "$WY" -ge 0 ] && [ $(( WX + WW )) -le "$screen_w" ] && [ $(( WY + WH )) -le "$screen_h" ]
}
near() { [ $(( $1 - $2 )) -le "$3" ] && [ $(( $2 - $1 )) -le "$3" ]; }  # a b pixels
# A box keeps its design size at the display scaling (a pixel either way) and lies on the screen.
box_fits() { near "$WW" "$1" 1 && near "$WH" "$2" 1 && on_screen; }  # width height
box_shown() { # what design-width design-height scale-thousandths
  local w h
  w=$(at 0 "$2" "$4") h=$(at 0 "$3" "$4")
  check "the $1 is ${WW}x$WH at $WX,$WY: ${w}x$h, on the screen" box_fits "$w" "$h"
}
# What the board draws (every pixel not of its background) spans its design, scaled to the
# window: the payment grid at the design's left and top, TERK and the chart page at 1011, at the
# bottom the lines grid (722) or, once the charts have data, their legend (731); and the window
# lies on the screen. A board laid out at another factor than its window's, or cut by the
# screen's edge, draws elsewhere.
board_whole() { # screenshot
  local file=$out/$1.png bg box w h x y left top right bottom
  bg=$(convert "$file" -crop "1x1+$(at "$BX" 1014 "$BS")+$(at "$BY" 400 "$BS")" -depth 8 txt:- | grep -o '#[0-9A-F]\{6\}' | head -n 1)
  box=$(convert "$file" -crop "${board_client[2]}x${board_client[3]}+${board_client[0]}+${board_client[1]}" +repage \
    -bordercolor "$bg" -border 1 -format '%@' info:)
  IFS='x+' read -r w h x y <<< "$box"
  left=$(( board_client[0] + x - 1 )) top=$(( board_client[1] + y - 1 ))
  right=$(( left + w )) bottom=$(( top + h ))
  log "   the board draws $left,$top-$right,$bottom in its client area ${board_client[*]}; the design at $BS/1000:" \
    "$BX,$BY-$(at "$BX" 1011 "$BS"),$(at "$BY" 722 "$BS")..$(at "$BY" 731 "$BS")"
  WX=${board_client[0]} WY=${board_client[1]} WW=${board_client[2]} WH=${board_client[3]}
  on_screen && near "$left" "$BX" 3 && near "$top" "$BY" 3 \
    && near "$right" "$(at "$BX" 1011 "$BS")" 3 && [ "$bottom" -ge $(( $(at "$BY" 722 "$BS") - 3 )) ] \
    && [ "$bottom" -le $(( $(at "$BY" 731 "$BS") + 3 )) ]
}

# The chart page in front gives every courier's bar its own colour, the first one red; its front
# face is drawn in that colour.
red_pixels() {
  import -window root -crop "$(at 0 425 "$BS")x$(at 0 427 "$BS")+$(at "$BX" 586 "$BS")+$(at "$BY" 304 "$BS")" +repage \
    -depth 8 txt:- 2> /dev/null | grep -c '#FF0000' || true
}

# The courier's slip the receipt printer got once the success box closed: the lines between the
# opening commands and the feed, without the bold switches, in code page 857.
slip_checks() { # courier orders
  local slip_lines slip_text
  wait_until 15 "the slip at the receipt printer" sh -c "! kill -0 $printer_pid 2> /dev/null && test -s '$slip'"
  slip_lines=$(tail -c +6 "$slip" | head -c -6 | perl -pe 's/\eE[\x00\x01]//g')
  slip_text=$(iconv -f CP857 -t UTF-8 <<< "$slip_lines")
  check "the slip starts with ESC @ and ESC t 13" test "$(head -c 5 "$slip" | od -An -tx1 | tr -d ' ')" = 1b401b740d
  check "... ends with a feed and the cut (GS V)" test "$(tail -c 6 "$slip" | od -An -tx1 | tr -d ' ')" = 1b64051d5601
  check "... has its title in code page 857" grep -q "KURYE TAHSİLAT FİŞİ" <<< "$slip_text"
  check "... names the courier and the terminal" \
    bash -c 'grep -q "Kurye *: $1" <<< "$2" && grep -q "Terminal *: $3" <<< "$2"' _ "$1" "$slip_text" "$station"
  check "... totals the $2 orders" grep -Eq "^TOPLAM +$2 Adet" <<< "$slip_text"
  check "... has no line longer than 42" \
    test "$(LC_ALL=C awk '{ if (length($0) > m) m = length($0) } END { print m + 0 }' <<< "$slip_lines")" -le 42
  check "... ends with the signature lines" \
    bash -c 'grep -q "Teslim Eden (Kurye)" <<< "$1" && grep -q "Teslim Alan" <<< "$1"' _ "$slip_text"
}

# Signs in, lists the courier, collects all of the courier's orders, checks what the database then
# holds and leaves through TERK, with taps where the screens are at the display scaling; each
# window found on the screen. Screenshots keypad, board and success box, with the suffix.
operator_closing() { # courier display-scale-thousandths screenshot-suffix
  local courier=$1 scale=$2 suffix=$3 i courier_index=-1 orders lines last_bill today_rows
  local -a couriers rows
  mapfile -t couriers < <(courier_list)
  for i in "${!couriers[@]}"; do [ "${couriers[$i]}" = "$courier" ] && courier_index=$i; done
  [ "$courier_index" -ge 0 ] || die "courier $courier is not in the list (${couriers[*]})"
  mapfile -t rows < <(sql "SELECT ADISYONNO FROM mainsip WHERE AdisyonYazdimi = 1 AND SevkYapanIsmi = '$courier' AND Kisim = '$section' ORDER BY ADISYONNO")
  [ "${#rows[@]}" -ge 2 ] || die "the demo data gives $courier only ${#rows[@]} orders in $section"
  orders=$(IFS=,; echo "${rows[*]}")
  lines=$(sql "SELECT COUNT(*) FROM temp WHERE ADISYONNO IN ($orders)")
  last_bill=$(sql "SELECT IFNULL(MAX(GENHARNO), 0) FROM genhar")
  slip=$out/slip$suffix.bin
  socat -u TCP-LISTEN:9100,bind=127.0.0.1,reuseaddr OPEN:"$slip",creat,trunc &
  printer_pid=$!

  start_program "run$suffix"
  wait_window "Yetki Kontrol" 90
  KX=$WX KY=$WY KS=$(scale_of "$WW" 305)
  box_shown keypad 305 351 "$scale"
  shot "keypad$suffix"
  type_password "$password"
  wait_window "Tahsilmatik" 30
  board_client=("$WX" "$WY" "$WW" "$WH")
  board_fit
  window_gone "Bilgilendirme" || die "the sign-in or the board start-up showed a message"
  log "   signed in; the board's client area ${WW}x$WH at $WX,$WY, its design at $BS/1000 from $BX,$BY"
  sleep 1
  shot "board$suffix"
  check "the whole board is on the screen, its design scaled to its window" board_whole "board$suffix"

  click_courier "$courier_index"
  today_rows=$(sql "SELECT COUNT(*) FROM mainsip WHERE AdisyonYazdimi = 1 AND SevkYapanIsmi = '$courier' AND Kisim = '$section' AND Tarih = CURDATE()")
  wait_until 30 "the listing of $courier's orders (holds in mainsip)" sql_is \
    "SELECT COUNT(*) FROM mainsip WHERE SevkYapanIsmi = '$courier' AND Kisim = '$section' AND lockdurum = 1" "$today_rows"
  sleep 1.5
  window_gone "Bilgilendirme" || die "listing $courier showed a warning"
  shot "board$suffix"
  log "   $courier listed: ${#rows[@]} orders, $today_rows of today held"
  check "... and with the orders listed (board$suffix.png)" board_whole "board$suffix"
  check "the charts are painted (a red bar in the chart area: $(red_pixels) pixels)" test "$(red_pixels)" -ge 40

  click_collect
  wait_window "Mesaj Kutusu" 20
  YX=$WX YY=$WY YS=$(scale_of "$WW" 481)
  box_shown "yes/no box" 481 220 "$scale"
  wait_until 10 "the first question (rose label)" question_is '#FF0080'
  click_evet
  wait_until 10 "the second question (red label)" question_is '#FF0000'
  click_evet
  wait_window "Bilgilendirme" 60
  IX=$WX IY=$WY IS=$(scale_of "$WW" 481)
  box_shown "information box" 481 221 "$scale"
  shot "success$suffix"
  log "   both questions answered Evet; the success box is up"

  sql_check "one bill for each of the ${#rows[@]} orders" \
    "SELECT COUNT(*) = ${#rows[@]} AND COUNT(DISTINCT ADISYONNO) = ${#rows[@]} FROM genhar WHERE GENHARNO > $last_bill AND ADISYONNO IN ($orders)"
  sql_check "one stock row for each of their $lines lines, under its order's bill" \
    "SELECT COUNT(*) = $lines FROM stokhar s JOIN genhar g ON g.GENHARNO = s.GENHARNO AND g.ADISYONNO = s.ADISYONNO WHERE g.GENHARNO > $last_bill"
  sql_check "the bills name this terminal's operator and courier" \
    "SELECT COUNT(*) = ${#rows[@]} FROM genhar WHERE GENHARNO > $last_bill AND KAPATANISMI = 'Ayşe Demir' AND SEVKYAPANISMI = '$courier'"
  sql_check "the orders are gone from mainsip and temp" \
    "SELECT (SELECT COUNT(*) FROM mainsip WHERE ADISYONNO IN ($orders)) + (SELECT COUNT(*) FROM temp WHERE ADISYONNO IN ($orders)) = 0"

  check "no slip is sent while the success box is up" test ! -s "$slip"
  click_tamam
  wait_until 10 "the success box to close" window_gone "Bilgilendirme"
  slip_checks "$courier" "${#rows[@]}"
  sleep 1
  window_gone "Bilgilendirme" || die "a message followed the slip"
  click_board_terk
  wait_until 20 "the board to close" window_gone "Tahsilmatik"
  wait_window "Yetki Kontrol" 10
  KX=$WX KY=$WY
  click_keypad_terk
  wait_program_end 20
  log "   TERK on the board and on the keypad: the program ended"
}

# The till's receipt printer: a listener on the raw port for each closing (it keeps what one
# connection brings).
printf 'FisYazici=127.0.0.1:9100\r\nFisGenisligi=42\r\n' >> "$ini"

log "4. an operator's closing on a ${screen_w}x$screen_h screen at 100 %"
operator_closing Hasan 1000 ""

# ---------------------------------------------------- 4b. the same on a till's screen at 125 %

# A 15.6" till: 1366 x 768 with Windows' display scaling at 125 % (120 dots per inch), which Qt
# follows. Wine reads the scaling when its processes start: all of them end first.
wineserver -k 2> /dev/null || true
wineserver -w
kill "$xvfb_pid" 2> /dev/null || true
wait "$xvfb_pid" 2> /dev/null || true
screen_w=1366 screen_h=768
start_xvfb "${screen_w}x$screen_h"
wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 120 /f > /dev/null
wineserver -w
log "4b. an operator's closing on a ${screen_w}x$screen_h screen at 125 %"
operator_closing Mehmet 1250 -1366x768-125

# ---------------------------------------------------------------------------- 5. silent removal

wine "$appdir/uninstall.exe" /S > "$out/uninstall.log" 2>&1 || die "the uninstaller failed"
# The uninstaller copies itself away and removes the folder from there.
wait_until 60 "the uninstaller to remove the program" test ! -e "$appdir/tahsilmatik.exe"
wineserver -w
check "the program's folder is gone" test ! -e "$appdir"
check "the shortcuts are gone" test ! -e "$menu_link" -a ! -e "$desktop_link"
check "the uninstaller is gone from Windows' list of programs" sh -c "! wine reg query '$uninstall_key' > /dev/null 2>&1"
check "the settings file is kept" first_line_is 127.0.0.1
log "5. uninstalled silently"

[ "$failures" = 0 ] || die "$failures check(s) failed"
log "all checks passed; screenshots in $out"
