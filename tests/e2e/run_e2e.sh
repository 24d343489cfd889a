#!/usr/bin/env bash
# End-to-end run of the real program: the built binary on a real X display (Xvfb), driven with
# real pointer events the way an operator works, against a real MariaDB server loaded with the demo
# restaurant. The program's fixed port 3306 and its fixed settings path are made private with
# namespaces: its own network (loopback only), its own mounts (a tmpfs on /opt/zerdapos), its own
# host name and its own process tree, so nothing outside is seen or touched and every process
# started here ends with it.
#
#   tests/e2e/run_e2e.sh [PROGRAM] [OUTPUT_DIR]
#
# Run 1 signs in on the keypad, lists courier Hasan, unmarks one order, moves one to another
# register, collects, answers "Evet" twice, closes the success box and checks the tables.
# Run 2 starts with no server behind the settings file and expects the two start-up messages.
# Screenshots and logs go to OUTPUT_DIR (default build/e2e). Exit 77 means "cannot run here".
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)

if [ "${1:-}" != "--inside" ]; then
  program=$(realpath -m "${1:-$root/build/app/tahsilmatik}")
  out=$(realpath -m "${2:-$root/build/e2e}")
  [ -x "$program" ] || { echo "e2e: the program $program has not been built" >&2; exit 1; }
  for tool in unshare mount hostname ip Xvfb xdotool xwininfo import mariadb mariadbd; do
    command -v "$tool" > /dev/null || { echo "e2e: $tool is missing (scripts/deps.sh installs it)" >&2; exit 1; }
  done
  # Inside a user namespace (no right to make the others) the settings folder must already
  # exist. It stays after the run: another run may have its tmpfs on it.
  if [ ! -d /opt/zerdapos ] && ! mkdir -p /opt/zerdapos 2> /dev/null; then
    echo "e2e: SKIPPED: /opt/zerdapos does not exist and cannot be created (needs root once)"
    exit 77
  fi
  rm -rf "$out"
  mkdir -p "$out"
  # shellcheck source=private_namespaces.sh
  . "$here/private_namespaces.sh"
  run_inside_private_namespaces e2e 77 "$0" "$program" "$out"
fi

# ------------------------------------------------------------------ inside the private namespaces

program=$2
out=$3
dbdir=$out/db
started=$(date +%s%N)
station=KASA-E2E
operator='Ayşe Demir'
password=1234
courier=Hasan
section='Paket Servis'

# shellcheck source=screen_driver.sh
. "$here/screen_driver.sh"

start_program() { # log name
  ( cd "$out" && exec env QT_QPA_PLATFORM=xcb QT_ENABLE_HIGHDPI_SCALING=0 XDG_RUNTIME_DIR="$out/xdg" \
      "$program" > "$out/$1.log" 2>&1 ) &
  prog_pid=$!
  ln -sf "$1.log" "$out/program.log"
}

# ---------------------------------------------------------------------------- private machine

ip link set lo up
hostname "$station"
mount -t tmpfs -o size=1m,mode=0755 tmpfs /opt/zerdapos
mkdir -p "$out/xdg" && chmod 700 "$out/xdg"
log "namespaces ready: host $station, loopback only, tmpfs on /opt/zerdapos"

start_demo_server "$station"
start_xvfb

printf '127.0.0.1\n' > /opt/zerdapos/Kuryeset.ini

# ---------------------------------------------------------------- what the run is expected to do

mapfile -t couriers < <(courier_list)
courier_index=-1
for i in "${!couriers[@]}"; do [ "${couriers[$i]}" = "$courier" ] && courier_index=$i; done
[ "$courier_index" -ge 1 ] && [ "$courier_index" -le 6 ] \
  || die "courier $courier must be visible in the list and not its preselected first entry (list: ${couriers[*]})"

# The grid rows: the courier's ready orders of the first section, in the order the server lists them.
mapfile -t rows < <(sql "SELECT ADISYONNO FROM mainsip WHERE AdisyonYazdimi = 1 AND SevkYapanIsmi = '$courier' AND Kisim = '$section' ORDER BY ADISYONNO")
[ "${#rows[@]}" -ge 4 ] || die "the demo data gives $courier only ${#rows[@]} orders in $section"
moved=${rows[1]}      # paid by card
unmarked=${rows[2]}   # left open
[ "$(sql "SELECT Tarih = CURDATE() FROM mainsip WHERE ADISYONNO = $unmarked")" = 1 ] \
  || die "order $unmarked should be of the working date so that the listing holds it"
log "courier $courier is entry $courier_index; grid rows ${rows[*]}; $moved goes to card, $unmarked stays open"

# ---------------------------------------------------------------------------------------- run 1

start_program run1
wait_window "Yetki Kontrol" 60
keypad=$WID; KX=$WX; KY=$WY
[ "$WW" = 305 ] && [ "$WH" = 351 ] || die "the keypad is ${WW}x${WH}, not 305x351"
window_gone "Bilgilendirme" || die "start-up showed a message instead of waiting for the password"
shot keypad
log "keypad up at $KX,$KY"

type_password "$password"
log "password typed on the keypad, OK pressed"

wait_window "Tahsilmatik" 30
board=$WID; BX=$WX; BY=$WY
window_gone "Bilgilendirme" || die "the sign-in or the board start-up showed a message"
# The first showing adds the courier tracking column; the rest of the start-up follows at once.
wait_until 20 "the board start-up" sql_is "SELECT COUNT(*) FROM information_schema.COLUMNS
  WHERE TABLE_SCHEMA = 'zerdapos' AND TABLE_NAME = 'setup4' AND COLUMN_NAME = 'KURYE_TAKIP_SISTEMI'" 1
sleep 1
log "board up at $BX,$BY (${WW}x${WH})"

click_courier "$courier_index"
today_rows=$(sql "SELECT COUNT(*) FROM mainsip WHERE AdisyonYazdimi = 1 AND SevkYapanIsmi = '$courier' AND Kisim = '$section' AND Tarih = CURDATE()")
wait_until 20 "the listing of $courier's orders (holds in mainsip)" sql_is \
  "SELECT COUNT(*) FROM mainsip WHERE SevkYapanIsmi = '$courier' AND Kisim = '$section' AND lockdurum = 1" "$today_rows"
sleep 1
window_gone "Bilgilendirme" || die "listing $courier showed a warning"
shot board
import -window "$board" "$out/board-window.png" 2> /dev/null || true
log "$courier listed: $today_rows orders of today held"

# What the closing must produce, taken before anything is closed.
sql "DROP DATABASE IF EXISTS e2e; CREATE DATABASE e2e;
  CREATE TABLE e2e.orders AS SELECT * FROM zerdapos.mainsip WHERE ADISYONNO IN ($(IFS=,; echo "${rows[*]}"));
  CREATE TABLE e2e.lines AS SELECT * FROM zerdapos.temp WHERE ADISYONNO IN ($(IFS=,; echo "${rows[*]}"));
  CREATE TABLE e2e.counts AS SELECT (SELECT COUNT(*) FROM zerdapos.mainsip) AS mainsip, (SELECT COUNT(*) FROM zerdapos.temp) AS temp,
    (SELECT COUNT(*) FROM zerdapos.genhar) AS genhar, (SELECT COUNT(*) FROM zerdapos.stokhar) AS stokhar,
    (SELECT MAX(GENHARNO) FROM zerdapos.genhar) AS last_bill;
  CREATE TABLE e2e.others AS SELECT ADISYONNO, lockdurum FROM zerdapos.mainsip WHERE ADISYONNO NOT IN ($(IFS=,; echo "${rows[*]}"));"

lime='#00FF00'
pixel_is $(( BX + $(col_left 3) + 4 )) $(( BY + $(row_top 0) + 4 )) "$lime" \
  || die "row 0 of the grid does not show its lime \"Ok\" mark where the layout puts column 3"
click "$(cell_x 3)" "$(cell_y 2)"   # unmark row 2 (default register column)
click "$(cell_x 4)" "$(cell_y 1)"   # row 1 to the second register
row2_unmarked() { ! pixel_is $(( BX + $(col_left 3) + 4 )) $(( BY + $(row_top 2) + 4 )) "$lime"; }
wait_until 5 "row 2 to lose its lime \"Ok\" mark after the tap" row2_unmarked
log "order $unmarked unmarked, order $moved moved to the second register"

click_collect
wait_window "Mesaj Kutusu" 20
YX=$WX; YY=$WY
wait_until 10 "the first question (rose label)" question_is '#FF0080'
shot yesno
click_evet
log "first question answered Evet"
wait_until 10 "the second question (red label)" question_is '#FF0000'
shot yesno-second
click_evet
log "both questions answered Evet"

wait_window "Bilgilendirme" 60
IX=$WX; IY=$WY
shot success
log "success box up"

# ------------------------------------------------------------------------------- database checks

failures=0
check() { # description, SQL giving 1 when it holds
  local got
  got=$(sql "$2" 2>&1) || got="error: $got"
  if [ "$got" = 1 ]; then log "  ok: $1"; else log "  NOT OK: $1 (got: $got)"; failures=$(( failures + 1 )); fi
}
closed="SELECT ADISYONNO FROM e2e.orders WHERE ADISYONNO <> $unmarked"
n_closed=$(( ${#rows[@]} - 1 ))
check_closed_tables() {
  check "one new bill per closed order ($n_closed)" \
    "SELECT COUNT(*) = $n_closed AND COUNT(DISTINCT ADISYONNO) = $n_closed FROM genhar WHERE GENHARNO > (SELECT IFNULL(last_bill, 0) FROM e2e.counts)"
  check "the new bills are exactly the closed orders" \
    "SELECT COUNT(*) = $n_closed FROM genhar g JOIN e2e.orders o ON o.ADISYONNO = g.ADISYONNO WHERE g.GENHARNO > (SELECT IFNULL(last_bill, 0) FROM e2e.counts) AND o.ADISYONNO <> $unmarked"
  check "each bill carries its order's amount, customer, section, table and courier" \
    "SELECT COUNT(*) = $n_closed FROM genhar g JOIN e2e.orders o ON o.ADISYONNO = g.ADISYONNO
      WHERE g.CIKIS = o.TUTAR AND g.DOVIZTUTARI = o.TUTAR AND g.TUTAR = 0 AND g.FIRAMISMI = o.FIRMAISMI
        AND g.CARINO = o.CariNo AND g.KISIM = o.Kisim AND g.MASANO = CONCAT('PK', o.MasaNo)
        AND g.SEVKYAPANISMI = '$courier' AND g.KISIMBOLUMNO = o.kisimBolumNo AND g.KISISAYISI = 1"
  check "the bills name the operator, this terminal and the working date" \
    "SELECT COUNT(*) = $n_closed FROM genhar g WHERE g.ADISYONNO IN ($closed)
        AND g.GARSON = '$operator' AND g.KAPATANISMI = '$operator' AND g.KAPATANTERMINAL = 1
        AND g.SUBEADI = 'Kadıköy' AND g.TARIH = CURDATE() AND g.YIL = YEAR(CURDATE())
        AND g.AY = MONTH(CURDATE()) AND g.GUN = DAY(CURDATE()) AND g.HARTIP = '1' AND g.GIRIS = '0'"
  check "order $moved is paid by the second register, the others by the first" \
    "SELECT SUM(KAPATIPISMI = IF(ADISYONNO = $moved, 'Kredi Kartı', 'Nakit') AND KASANO = IF(ADISYONNO = $moved, 2, 1)
               AND KAPATIPNO = KASANO) = $n_closed FROM genhar WHERE ADISYONNO IN ($closed)"
  check "one stock movement per line of every closed order, under its bill" \
    "SELECT COUNT(*) = (SELECT COUNT(*) FROM e2e.lines WHERE ADISYONNO <> $unmarked)
       AND SUM(s.ADISYONNO = g.ADISYONNO) = COUNT(*)
       FROM stokhar s JOIN genhar g ON g.GENHARNO = s.GENHARNO WHERE g.ADISYONNO IN ($closed)"
  check "the stock movements copy their lines (product, quantity, price) and add up to the bill" \
    "SELECT COUNT(*) = 0 FROM genhar g WHERE g.ADISYONNO IN ($closed) AND ABS(g.CIKIS -
       (SELECT IFNULL(SUM(s.CIKISFIYAT * s.ADET), 0) FROM stokhar s WHERE s.GENHARNO = g.GENHARNO)) > 0.005
       OR (SELECT GROUP_CONCAT(CONCAT(STOKADI, ':', ADET, ':', CIKISFIYAT) ORDER BY STOKADI, ADET) FROM stokhar s WHERE s.GENHARNO = g.GENHARNO)
       <> (SELECT GROUP_CONCAT(CONCAT(STOKADI, ':', ADET, ':', FIYAT) ORDER BY STOKADI, ADET) FROM e2e.lines l WHERE l.ADISYONNO = g.ADISYONNO)"
  check "the stock movements name the register, operator, branch and working date" \
    "SELECT COUNT(*) = 0 FROM stokhar s JOIN genhar g ON g.GENHARNO = s.GENHARNO WHERE g.ADISYONNO IN ($closed)
       AND NOT (s.KAPATIPISMI <=> g.KAPATIPISMI AND s.GARSONNO = 1 AND s.KAPATANISMI = '$operator'
                AND s.KISIMSUBE = 'Lezzet Durağı Kadıköy' AND s.TARIH = CURDATE() AND s.GIRISKDVSIZ = '0')"
  check "the closed orders are gone from mainsip and temp" \
    "SELECT (SELECT COUNT(*) FROM mainsip WHERE ADISYONNO IN ($closed)) + (SELECT COUNT(*) FROM temp WHERE ADISYONNO IN ($closed)) = 0"
  check "order $unmarked is still open with all its lines" \
    "SELECT (SELECT COUNT(*) FROM mainsip WHERE ADISYONNO = $unmarked) = 1
        AND (SELECT COUNT(*) FROM temp WHERE ADISYONNO = $unmarked) = (SELECT COUNT(*) FROM e2e.lines WHERE ADISYONNO = $unmarked)
        AND (SELECT COUNT(*) FROM genhar WHERE ADISYONNO = $unmarked) = 0"
  check "nothing else left mainsip or temp" \
    "SELECT (SELECT COUNT(*) FROM mainsip) = (SELECT mainsip FROM e2e.counts) - $n_closed
        AND (SELECT COUNT(*) FROM temp) = (SELECT temp FROM e2e.counts) - (SELECT COUNT(*) FROM e2e.lines WHERE ADISYONNO <> $unmarked)"
  check "other orders keep their hold flags (order 1042 stays held by the other till)" \
    "SELECT COUNT(*) = 0 FROM e2e.others o JOIN mainsip m ON m.ADISYONNO = o.ADISYONNO WHERE m.lockdurum <> o.lockdurum"
}

log "database while the success box is up:"
check_closed_tables
check "order $unmarked is released (lockdurum 0)" "SELECT lockdurum = 0 FROM mainsip WHERE ADISYONNO = $unmarked"

click_tamam
wait_until 10 "the success box to close" window_gone "Bilgilendirme"
# The board lists what remains for the courier and holds it again.
wait_until 20 "the board to hold order $unmarked again" \
  sql_is "SELECT lockdurum FROM mainsip WHERE ADISYONNO = $unmarked" 1
sleep 0.5
shot board-after
log "board reloaded with order $unmarked"

click_board_terk
wait_until 20 "the board to close" window_gone "Tahsilmatik"
log "database after leaving the board:"
check "order $unmarked is released (lockdurum 0)" "SELECT lockdurum = 0 FROM mainsip WHERE ADISYONNO = $unmarked"
check_closed_tables

wait_until 10 "the keypad to come back" window_shown "Yetki Kontrol"
click_keypad_terk
wait_program_end 15
log "run 1: program ended through TERK"
[ "$failures" = 0 ] || die "$failures database check(s) failed"
[ "$(cat /opt/zerdapos/Kuryeset.ini)" = 127.0.0.1 ] || die "the settings file was changed"

# ---------------------------------------------------------------------------------------- run 2

"$root/scripts/mariadb_private.sh" stop "$dbdir"
log "run 2: the settings file names 127.0.0.1, where no server answers now"
start_program run2
wait_window "Bilgilendirme" 60
window_gone "Tahsilmatik" || die "the plain message came before the information box"
shot unreachable-information
IX=$WX; IY=$WY
click_tamam
wait_window "Tahsilmatik" 20   # the plain message box carries the application's name
window_gone "Bilgilendirme" || die "the information box is still up"
shot unreachable-plain
xdotool windowfocus "$WID" 2> /dev/null || true
sleep 0.3
xdotool key --clearmodifiers Return
sleep 1
if kill -0 "$prog_pid" 2> /dev/null && window_shown "Tahsilmatik"; then
  log "Return did not reach the plain message box; tapping its OK button"
  click $(( WX + WW - 50 )) $(( WY + WH - 24 ))
fi
wait_program_end 15
window_gone "Yetki Kontrol" || die "the keypad is still up"
log "run 2: information box, then the plain message, then the program ended"
log "screenshots in $out"
