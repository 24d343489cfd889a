#!/usr/bin/env bash
# End-to-end run of the real program on the screens restaurants' tills have: 1366 x 768 at a
# display scaling of 125 % and 1920 x 1080 at 150 %, under a window manager that maximizes the
# board (openbox, with 40 pixels kept free at the bottom for a task bar). In each: sign in on the
# keypad, list a courier, close all of the courier's orders with "Evet" twice, close the success box
# and leave through TERK; and at every screen, read the controls as a screen reader does (the
# accessibility bus, AT-SPI) and check that each lies wholly in the screen's work area.
#
#   tests/e2e/run_scaled.sh [PROGRAM] [OUTPUT_DIR]
#
# Private namespaces, the demo restaurant on port 3306 and the settings file as in run_e2e.sh.
# Screenshots, the controls read at each step and logs go to OUTPUT_DIR (default build/e2e-scaled).
# Exit 77 means "cannot run here".
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)

if [ "${1:-}" != "--inside" ]; then
  program=$(realpath -m "${1:-$root/build/app/tahsilmatik}")
  out=$(realpath -m "${2:-$root/build/e2e-scaled}")
  [ -x "$program" ] || { echo "e2e-scaled: the program $program has not been built" >&2; exit 1; }
  for tool in unshare mount hostname ip Xvfb xdotool xwininfo import mariadb mariadbd openbox dbus-daemon; do
    command -v "$tool" > /dev/null || { echo "e2e-scaled: $tool is missing (scripts/deps.sh installs it)" >&2; exit 1; }
  done
  [ -x /usr/libexec/at-spi-bus-launcher ] && /usr/bin/python3 -c 'import pyatspi' 2> /dev/null \
    || { echo "e2e-scaled: the accessibility bus or pyatspi is missing (scripts/deps.sh installs them)" >&2; exit 1; }
  if [ ! -d /opt/zerdapos ] && ! mkdir -p /opt/zerdapos 2> /dev/null; then
    echo "e2e-scaled: SKIPPED: /opt/zerdapos does not exist and cannot be created (needs root once)"
    exit 77
  fi
  rm -rf "$out"
  mkdir -p "$out"
  # shellcheck source=private_namespaces.sh
  . "$here/private_namespaces.sh"
  run_inside_private_namespaces e2e-scaled 77 "$0" "$program" "$out"
fi

# ------------------------------------------------------------------ inside the private namespaces

program=$2
out=$3
dbdir=$out/db
started=$(date +%s%N)
station=KASA-E2E
password=1234
section='Paket Servis'
taskbar=40
LOG_TAG=e2e-scaled

# shellcheck source=screen_driver.sh
. "$here/screen_driver.sh"

session_pids=()
end_session() { local p; for p in "${session_pids[@]}"; do kill "$p" 2> /dev/null || true; done; session_pids=(); }
extra_cleanup=end_session

ip link set lo up
hostname "$station"
mount -t tmpfs -o size=1m,mode=0755 tmpfs /opt/zerdapos
printf '127.0.0.1\n' > /opt/zerdapos/Kuryeset.ini
log "namespaces ready: host $station, loopback only, tmpfs on /opt/zerdapos"

# ------------------------------------------------------------------------ the accessibility bus

controls=""
# Reads the program's showing controls into $out/controls-NAME.tsv and $controls, in screen
# pixels. Qt 6.4 tells a screen reader where its controls are in device-independent pixels, not in
# the screen's (with a display scaling of 125 % every place is 1.25 times smaller than it is); the
# reading is scaled here, as a screen reader would have to.
read_controls() { # name
  controls=$out/controls-$1.tsv
  /usr/bin/python3 "$here/a11y_controls.py" Tahsilmatik > "$controls.read" 2> "$out/a11y.log" && [ -s "$controls.read" ] \
    || return 1
  awk -F'\t' -v OFS='\t' -v s="$scale" '{
      x = int($3 * s + 0.5); y = int($4 * s + 0.5); r = int(($3 + $5) * s + 0.5); b = int(($4 + $6) * s + 0.5)
      $3 = x; $4 = y; $5 = r - x; $6 = b - y; print }' "$controls.read" > "$controls"
}
# "x y width height" of the first showing control with this role and name (an extended regular
# expression matched against the whole name), from the last reading.
control_at() { # role name-regex
  awk -F'\t' -v role="$1" -v name="^($2)\$" '$1 == role && $2 ~ name { print $3, $4, $5, $6; exit }' "$controls"
}
has_control() { read_controls "$3" && [ -n "$(control_at "$1" "$2")" ]; }  # role name-regex reading-name
tap_control() { # role name-regex
  local x y w h
  read -r x y w h <<< "$(control_at "$1" "$2")"
  [ -n "${h:-}" ] || die "no showing $1 \"$2\" on the accessibility bus (see $controls)"
  click $(( x + w / 2 )) $(( y + h / 2 ))
}
# Every control read lies wholly in the work area: the screen less the task bar. A pixel of
# slack, as the places read are whole device-independent pixels.
outside_work_area() {
  awk -F'\t' -v w="$(( screen_w + 1 ))" -v h="$(( screen_h - taskbar + 1 ))" \
    '$3 < -1 || $4 < -1 || $3 + $5 > w || $4 + $6 > h { print "    " $1 " \"" $2 "\" at " $3 "," $4 " " $5 "x" $6 " (" $7 ")" }' "$controls"
}
all_in_work_area() { # what
  local outside
  outside=$(outside_work_area)
  [ -z "$outside" ] || { printf '%s\n' "$outside"; die "$1: controls outside the work area ${screen_w}x$(( screen_h - taskbar ))"; }
  log "  $1: all $(wc -l < "$controls") controls in the work area"
}
# The board is shown at its design size and then maximized: read it again until the window manager
# has given it the work area and it has laid itself out there.
board_laid_out() { # reading-name
  local x y w h
  read -r x y w h <<< "$(xwininfo -id "$WID" | awk '/^ *Width:/ { w = $NF } END { print 0, 0, w, 0 }')"
  [ "$w" -ge $(( screen_w - 20 )) ] && read_controls "$1" && [ -z "$(outside_work_area)" ]
}
# The client area of the window with this caption, in screen pixels: WX WY WW WH.
window_in_work_area() { # caption
  wait_window "$1" 30
  # Where X puts the window on the screen (xdotool adds the window manager's frame to it).
  read -r WX WY WW WH <<< "$(xwininfo -id "$WID" | awk '/Absolute upper-left X/ { x = $NF } /Absolute upper-left Y/ { y = $NF }
    /^ *Width:/ { w = $NF } /^ *Height:/ { h = $NF } END { print x, y, w, h }')"
  [ "$WX" -ge 0 ] && [ "$WY" -ge 0 ] && [ $(( WX + WW )) -le "$screen_w" ] && [ $(( WY + WH )) -le $(( screen_h - taskbar )) ] \
    || die "the window \"$1\" at $WX,$WY ${WW}x$WH is not wholly in the work area"
}

# ------------------------------------------------------------------------------------- one till

run_till() { # width height scale courier name
  local name=$5
  screen_w=$1 screen_h=$2 scale=$3
  local courier=$4
  log "--- $name: a ${screen_w}x$screen_h screen at $(awk -v s="$scale" 'BEGIN { print s * 100 }') %, courier $courier"
  dbdir=$out/db-$name
  start_demo_server "$station"
  start_xvfb "${screen_w}x$screen_h"

  dbus-daemon --session --fork --print-address=3 --print-pid=4 3> "$out/bus" 4> "$out/bus.pid"
  session_pids+=("$(cat "$out/bus.pid")")
  export DBUS_SESSION_BUS_ADDRESS
  DBUS_SESSION_BUS_ADDRESS=$(head -n 1 "$out/bus")
  /usr/libexec/at-spi-bus-launcher --launch-immediately > "$out/atspi-$name.log" 2>&1 &
  session_pids+=($!)
  # A task bar's room at the bottom; openbox maximizes a window that asks for it within the rest.
  sed "s|<bottom>0</bottom>|<bottom>$taskbar</bottom>|" /etc/xdg/openbox/rc.xml > "$out/openbox-rc.xml"
  grep -q "<bottom>$taskbar</bottom>" "$out/openbox-rc.xml" || die "openbox's configuration has no bottom margin to set"
  openbox --config-file "$out/openbox-rc.xml" > "$out/openbox-$name.log" 2>&1 &
  session_pids+=($!)
  sleep 1

  mapfile -t rows < <(sql "SELECT ADISYONNO FROM mainsip WHERE AdisyonYazdimi = 1 AND SevkYapanIsmi = '$courier' AND Kisim = '$section' ORDER BY ADISYONNO")
  [ "${#rows[@]}" -ge 2 ] || die "the demo data gives $courier only ${#rows[@]} orders in $section"
  local orders last_bill today_rows
  orders=$(IFS=,; echo "${rows[*]}")
  last_bill=$(sql "SELECT IFNULL(MAX(GENHARNO), 0) FROM genhar")
  today_rows=$(sql "SELECT COUNT(*) FROM mainsip WHERE AdisyonYazdimi = 1 AND SevkYapanIsmi = '$courier' AND Kisim = '$section' AND Tarih = CURDATE()")

  ( cd "$out" && exec env QT_QPA_PLATFORM=xcb QT_SCALE_FACTOR="$scale" QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 \
      XDG_RUNTIME_DIR="$out/xdg" "$program" > "$out/$name.log" 2>&1 ) &
  prog_pid=$!
  ln -sf "$name.log" "$out/program.log"

  # The keypad.
  window_in_work_area "Yetki Kontrol"
  wait_until 20 "the keypad on the accessibility bus" has_control "push button" "OK" "$name-keypad"
  all_in_work_area "keypad"
  shot "$name-keypad"
  local d
  for (( d = 0; d < ${#password}; d++ )); do tap_control "push button" "${password:$d:1}"; done
  tap_control "push button" "OK"

  # The board, maximized by the window manager and the design scaled to it.
  window_in_work_area "Tahsilmatik"
  local bx=$WX by=$WY bw=$WW bh=$WH
  wait_until 20 "the board start-up" sql_is "SELECT COUNT(*) FROM information_schema.COLUMNS
    WHERE TABLE_SCHEMA = 'zerdapos' AND TABLE_NAME = 'setup4' AND COLUMN_NAME = 'KURYE_TAKIP_SISTEMI'" 1
  wait_until 20 "the courier list on the accessibility bus" has_control "list item" "$courier" "$name-board"
  window_gone "Bilgilendirme" || die "the sign-in or the board start-up showed a message"
  # Maximized: the board's window takes the work area's width (a frame aside), and its design is
  # scaled into it.
  wait_until 10 "the board maximized and laid out in the work area" board_laid_out "$name-board"
  read -r bx by bw bh <<< "$(xwininfo -id "$WID" | awk '/Absolute upper-left X/ { x = $NF } /Absolute upper-left Y/ { y = $NF }
    /^ *Width:/ { w = $NF } /^ *Height:/ { h = $NF } END { print x, y, w, h }')"
  all_in_work_area "board"
  log "  board at $bx,$by ${bw}x$bh"

  tap_control "list item" "$courier"
  wait_until 20 "the listing of $courier's orders (holds in mainsip)" sql_is \
    "SELECT COUNT(*) FROM mainsip WHERE SevkYapanIsmi = '$courier' AND Kisim = '$section' AND lockdurum = 1" "$today_rows"
  wait_until 10 "the collect button to name $courier" has_control "push button" ".*[(]$courier[)].*TAHSIL ET.*" "$name-listed"
  window_gone "Bilgilendirme" || die "listing $courier showed a warning"
  all_in_work_area "board with ${#rows[@]} orders listed"
  # The grid's cells are there for a screen reader too: the first order's number.
  [ -n "$(control_at "table cell" "${rows[0]}")" ] || die "the grid's first order ${rows[0]} is not read on the accessibility bus"
  sleep 0.5
  shot "$name-board"

  tap_control "push button" ".*TAHSIL ET.*"
  window_in_work_area "Mesaj Kutusu"
  wait_until 10 "the first question on the accessibility bus" has_control "push button" "Evet" "$name-question"
  all_in_work_area "yes/no box"
  local first
  first=$(awk -F'\t' '$1 == "label" && $7 == "Mesaj Kutusu" { print $2; exit }' "$controls")
  tap_control "push button" "Evet"
  second_question() { has_control "push button" "Evet" "$name-question2" \
    && [ "$(awk -F'\t' '$1 == "label" && $7 == "Mesaj Kutusu" { print $2; exit }' "$controls")" != "$first" ]; }
  wait_until 10 "the second question" second_question
  all_in_work_area "second question"
  tap_control "push button" "Evet"

  window_in_work_area "Bilgilendirme"
  wait_until 60 "the success box on the accessibility bus" has_control "push button" "Tamam" "$name-success"
  all_in_work_area "success box"
  shot "$name-success"
  sql_is "SELECT COUNT(*) = ${#rows[@]} AND COUNT(DISTINCT ADISYONNO) = ${#rows[@]} FROM genhar WHERE GENHARNO > $last_bill AND ADISYONNO IN ($orders)" 1 \
    || die "not one bill for each of $courier's ${#rows[@]} orders"
  sql_is "SELECT (SELECT COUNT(*) FROM mainsip WHERE ADISYONNO IN ($orders)) + (SELECT COUNT(*) FROM temp WHERE ADISYONNO IN ($orders))" 0 \
    || die "$courier's orders are still in mainsip or temp"
  log "  ${#rows[@]} orders closed: their bills written, the orders gone"
  tap_control "push button" "Tamam"
  wait_until 10 "the success box to close" window_gone "Bilgilendirme"
  sleep 1

  wait_until 10 "the board's TERK" has_control "push button" "TERK" "$name-after"
  all_in_work_area "board after the run"
  tap_control "push button" "TERK"
  wait_until 20 "the board to close" window_gone "Tahsilmatik"
  window_in_work_area "Yetki Kontrol"
  wait_until 10 "the keypad's TERK" has_control "push button" "TERK" "$name-keypad-again"
  tap_control "push button" "TERK"
  wait_program_end 15
  log "  the program ended through TERK"

  end_session
  kill "$xvfb_pid" 2> /dev/null || true
  wait "$xvfb_pid" 2> /dev/null || true
  xvfb_pid=""
  "$root/scripts/mariadb_private.sh" stop "$dbdir" > /dev/null 2>&1 || true
}

mkdir -p "$out/xdg" && chmod 700 "$out/xdg"
run_till 1366 768 1.25 Hasan small
run_till 1920 1080 1.5 Mehmet large
log "screenshots and the controls read in $out"
