# Drives the program's screens the way an operator does: real pointer events at the widget
# positions of the screens' design, scaled as each window is shown, windows found by their
# captions, pixels read from the screen. Sourced by the end-to-end runs (tests/e2e/run_e2e.sh on Debian, tests/windows/run_wine.sh
# under Wine); they set `out`, `started` and `prog_pid` and define `die`.
#
# CLIENT_RECT, when set, is a command that prints "x y width height" of the client area of the
# window with the caption it is given: Wine draws the frames itself, so there the X window is
# larger than what the program lays out.

prog_pid=""
xvfb_pid=""
extra_cleanup=""

die() {
  log "FAILED: $*"
  shot "failure"
  if [ -f "$out/program.log" ]; then
    log "program output:"; tail -n 30 "$out/program.log" | sed 's/^/    /'
  fi
  exit 1
}
end_run() {
  local status=$?
  trap - EXIT INT TERM
  if [ -n "$prog_pid" ]; then kill "$prog_pid" 2> /dev/null || true; fi
  if [ -n "$extra_cleanup" ]; then $extra_cleanup 2> /dev/null || true; fi
  "$root/scripts/mariadb_private.sh" stop "$dbdir" > /dev/null 2>&1 || true
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2> /dev/null || true; fi
  log "finished with status $status"
  exit "$status"
}
trap end_run EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

log() {
  local tenths=$(( ($(date +%s%N) - started) / 100000000 ))
  printf '[%s %4d.%ds] %s\n' "${LOG_TAG:-e2e}" $(( tenths / 10 )) $(( tenths % 10 )) "$*"
}

shot() { # name: a screenshot of the whole screen
  [ -n "${DISPLAY:-}" ] || return 0
  import -window root "$out/$1.png" 2> /dev/null || true
}

# The private MariaDB server on port 3306 of the namespace's loopback, with the demo restaurant and
# this till's host name in its terminal list.
start_demo_server() { # station
  "$root/scripts/mariadb_private.sh" start "$dbdir" 3306 > "$out/server-start.log" 2>&1 \
    || { cat "$out/server-start.log"; die "the private server did not start on port 3306"; }
  { printf "SET @istasyon = '%s';\n" "$1"; cat "$root/demo/demo_restaurant.sql"; } \
    | mariadb --no-defaults --default-character-set=utf8mb4 --socket="$(cat "$dbdir/socket")" -uroot \
        -p73507350 zerdapos \
    || die "the demo restaurant did not load"
  log "server on 127.0.0.1:3306 with the demo restaurant"
}

# Xvfb at the size the screens are laid out for, or at WIDTHxHEIGHT; sets xvfb_pid and DISPLAY.
start_xvfb() { # [WIDTHxHEIGHT]
  rm -f "$out/display"
  Xvfb -displayfd 5 -screen 0 "${1:-1032x776}x24" -dpi 96 -nolisten tcp -noreset 5> "$out/display" \
    > "$out/xvfb.log" 2>&1 &
  xvfb_pid=$!
  wait_until 20 "Xvfb to start" test -s "$out/display"
  export DISPLAY=":$(head -n 1 "$out/display")"
  log "Xvfb on $DISPLAY"
}

wait_program_end() { # seconds
  local end=$(( $(date +%s) + $1 ))
  while kill -0 "$prog_pid" 2> /dev/null; do
    [ "$(date +%s)" -lt "$end" ] || die "the program did not end within $1s"
    sleep 0.2
  done
  wait "$prog_pid" || true
  prog_pid=""
}

sql() {
  mariadb --no-defaults --default-character-set=utf8mb4 --socket="$(cat "$dbdir/socket")" -uroot -p73507350 \
    -N -B zerdapos -e "$1"
}
sql_is() { [ "$(sql "$1")" = "$2" ]; }  # query, expected single value

# Polls a condition (a shell command) until it holds; dies with the description after the timeout.
wait_until() { # seconds description command...
  local limit=$1 what=$2; shift 2
  local end=$(( $(date +%s) + limit ))
  until "$@"; do
    if [ -n "$prog_pid" ] && ! kill -0 "$prog_pid" 2> /dev/null; then
      die "the program ended while waiting for $what"
    fi
    [ "$(date +%s)" -lt "$end" ] || die "waited ${limit}s for $what, in vain"
    sleep 0.2
  done
}
visible_window() { xdotool search --onlyvisible --name "^$1\$" 2> /dev/null | head -n 1; }
window_shown() { [ -n "$(visible_window "$1")" ]; }
window_gone() { [ -z "$(visible_window "$1")" ]; }
# Waits for a top-level window by its caption and sets WID and the client area WX, WY, WW, WH.
wait_window() { # caption [seconds]
  wait_until "${2:-30}" "the window \"$1\" to appear" window_shown "$1"
  WID=$(visible_window "$1")
  if [ -n "${CLIENT_RECT:-}" ]; then
    wait_until "${2:-30}" "the client area of the window \"$1\"" client_rect_of "$1"
  else
    local X Y WIDTH HEIGHT SCREEN WINDOW
    eval "$(xdotool getwindowgeometry --shell "$WID")"
    WX=$X WY=$Y WW=$WIDTH WH=$HEIGHT
  fi
  sleep 0.4  # let it paint
}
client_rect_of() { # caption: sets WX, WY, WW, WH from CLIENT_RECT; fails while there is none
  local rect
  rect=$($CLIENT_RECT "$1" 2> /dev/null | tr -d '\r') || return 1
  [ -n "$rect" ] && read -r WX WY WW WH <<< "$rect"
}
# (No --sync: it waits for pointer motion, which never comes when the pointer is already there.)
click() { xdotool mousemove "$1" "$2" sleep 0.1 click 1; sleep 0.35; }
pixel() { import -window root -crop "1x1+$1+$2" -depth 8 txt:- 2> /dev/null | grep -o '#[0-9A-F]\{6\}' | head -n 1; }
pixel_is() { [ "$(pixel "$1" "$2")" = "$3" ]; }

# ------------------------------------------------------------------------------ the screens' layout

# A window shown at a scale (a display scaling, a board fitted to its window) has its design
# pixels times KS, BS, YS or IS thousandths (keypad, board, yes/no box, information box; 1000:
# as designed). The place of a design offset from a window's origin:
KS=1000 BS=1000 YS=1000 IS=1000
at() { echo $(( $1 + ($2 * $3 + 500) / 1000 )); }  # origin design-offset scale
scale_of() { echo $(( ($1 * 1000 + $2 / 2) / $2 )); }  # shown-length design-length

# Keypad buttons (73 x 68) sit in Panel1 at 1,1; digit positions left, top within the panel.
#          digit:  0   1   2    3   4   5    6   7   8    9
key_left=(        76   1  76  152   1  76  152   1  76  152)
key_top=(        281  71  71   71 141 141  141 211 211  211)
type_password() { # password: the digits and OK on the keypad at KX, KY
  local i d
  for (( i = 0; i < ${#1}; i++ )); do
    d=${1:$i:1}
    click "$(at "$KX" $(( 1 + key_left[d] + 36 )) "$KS")" "$(at "$KY" $(( 1 + key_top[d] + 34 )) "$KS")"
  done
  click "$(at "$KX" $(( 1 + 228 + 36 )) "$KS")" "$(at "$KY" $(( 1 + 141 + 103 )) "$KS")"   # OK, three rows high
}
click_keypad_terk() { click "$(at "$KX" $(( 1 + 1 + 36 )) "$KS")" "$(at "$KY" $(( 1 + 1 + 34 )) "$KS")"; }

# The board's design (client area 1016 x 737) at BX, BY: scaled by one factor, the largest with
# which it fits the window, and centred in it. board_fit sets BX, BY and BS from the client area
# WX, WY, WW, WH.
board_fit() {
  BS=$(( WW * 1000 / 1016 < WH * 1000 / 737 ? WW * 1000 / 1016 : WH * 1000 / 737 ))
  BX=$(( WX + (WW - (1016 * BS + 500) / 1000) / 2 ))
  BY=$(( WY + (WH - (737 * BS + 500) / 1000) / 2 ))
}
# ListBox2 at 776,135 with rows 16 pixels high; Button2 (collect) at 586,263; TERK at 922,67.
click_board() { click "$(at "$BX" "$1" "$BS")" "$(at "$BY" "$2" "$BS")"; }  # design x, y
click_courier() { click_board $(( 776 + 60 )) $(( 135 + 2 + 16 * $1 + 8 )); }  # list index
click_collect() { click_board $(( 586 + 212 )) $(( 263 + 19 )); }
click_board_terk() { click_board $(( 922 + 44 )) $(( 67 + 14 )); }

# NextGrid1 at 0,0: frame, 12-pixel row indicator, columns 46, 111, 50 then 40 per register;
# a 120-pixel header, rows 30 pixels high.
col_left() { local c=$1 x=$(( 1 + 12 )) w=(46 111 50); for (( k = 0; k < c; k++ )); do
  if [ "$k" -lt 3 ]; then x=$(( x + w[k] )); else x=$(( x + 40 )); fi; done; echo "$x"; }
row_top() { echo $(( 1 + 120 + 30 * $1 )); }
cell_x() { at "$BX" $(( $(col_left "$1") + 20 )) "$BS"; }
cell_y() { at "$BY" $(( $(row_top "$1") + 15 )) "$BS"; }

# The yes/no box at YX, YY: the question label (inside ScrollBox1 at 3,3, 477 x 143) is rose for
# the first question and red for the second; "Evet" at 24,152.
question_is() { pixel_is "$(at "$YX" $(( 3 + 6 )) "$YS")" "$(at "$YY" $(( 3 + 136 )) "$YS")" "$1"; }
click_evet() { click "$(at "$YX" $(( 24 + 72 )) "$YS")" "$(at "$YY" $(( 152 + 32 )) "$YS")"; }
# The information box: "Tamam" at 168,144 of the box at IX, IY.
click_tamam() { click "$(at "$IX" $(( 168 + 72 )) "$IS")" "$(at "$IY" $(( 144 + 32 )) "$IS")"; }

# The courier list as the board builds it: couriers with open orders, most first, then the others.
courier_list() {
  sql "SELECT Sevkyapanismi FROM mainsip WHERE Sevkyapanismi <> '' GROUP BY Sevkyapanismi ORDER BY COUNT(*) DESC;
    SELECT Username FROM \`user\` u WHERE Sevkiyatci = 1 AND Isten_Ayrildi = 0
       AND NOT EXISTS (SELECT 1 FROM mainsip m WHERE m.Sevkyapanismi = u.Username) ORDER BY USERNO"
}
