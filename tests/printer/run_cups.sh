#!/usr/bin/env bash
# The slip through a printer of the system: a private CUPS server (its configuration, spool and
# socket under OUTPUT_DIR, no TCP port, ended with its PID namespace) with a raw queue "Fis" whose
# device is the file OUTPUT_DIR/slip.bin, and the test program's system-printer case pointed at it
# (CUPS_SERVER). Exit code 77 when the machine lacks CUPS or namespaces.
#
#   tests/printer/run_cups.sh TEST_PROGRAM OUTPUT_DIR      (ctest slip_cups)
set -euo pipefail

if [ "${1:-}" != "--inside" ]; then
  [ $# -eq 2 ] || { echo "usage: tests/printer/run_cups.sh TEST_PROGRAM OUTPUT_DIR" >&2; exit 2; }
  program=$(realpath "$1")
  out=$(realpath -m "$2")
  for tool in cupsd lpadmin lp unshare; do
    command -v "$tool" > /dev/null || { echo "cups-test: $tool is missing (scripts/deps.sh installs it)" >&2; exit 77; }
  done
  namespaces=(--pid --fork --kill-child)
  if ! unshare "${namespaces[@]}" true 2> /dev/null; then
    unshare --user --map-root-user "${namespaces[@]}" true 2> /dev/null \
      || { echo "cups-test: no private namespaces on this machine" >&2; exit 77; }
    namespaces=(--user --map-root-user "${namespaces[@]}")
  fi
  rm -rf "$out"
  mkdir -p "$out"
  exec unshare "${namespaces[@]}" "$0" --inside "$program" "$out"
fi

program=$2
out=$3
cd "$out"
mkdir -p etc spool tmp cache run log serverbin/backend
# CUPS copies nothing into a file: device for a raw queue (only a filter would write it, and a raw
# queue has none): the queue's device is this backend, which writes the job into the file as is.
ln -s /usr/lib/cups/daemon serverbin/daemon
cat > serverbin/backend/slipfile <<'EOF'
#!/bin/sh
[ $# -eq 0 ] && { echo 'direct slipfile "Unknown" "File"'; exit 0; }
cat ${6:+"$6"} > "${DEVICE_URI#slipfile:}"
EOF
chmod 0700 serverbin/backend/slipfile  # a backend only its owner may run is run as root
cat > etc/cups-files.conf <<EOF
ServerRoot $out/etc
ServerBin $out/serverbin
RequestRoot $out/spool
TempDir $out/tmp
CacheDir $out/cache
StateDir $out/run
AccessLog $out/log/access_log
ErrorLog $out/log/error_log
PageLog $out/log/page_log
SystemGroup root
EOF
cat > etc/cupsd.conf <<EOF
Listen $out/cups.sock
LogLevel debug
WebInterface No
Browsing No
DefaultAuthType None
<Location />
  Order allow,deny
  Allow all
</Location>
<Policy default>
  <Limit All>
    Order deny,allow
  </Limit>
</Policy>
EOF
cupsd -f -c "$out/etc/cupsd.conf" -s "$out/etc/cups-files.conf" > log/cupsd.out 2>&1 &
for _ in $(seq 50); do [ -S cups.sock ] && break; sleep 0.1; done
[ -S cups.sock ] || { cat log/cupsd.out log/error_log >&2; echo "cups-test: cupsd did not start" >&2; exit 1; }
export CUPS_SERVER=$out/cups.sock
lpadmin -p Fis -E -v "slipfile:$out/slip.bin"
echo "cups-test: private CUPS server up, raw queue Fis -> $out/slip.bin"
ZTEST_CUPS_QUEUE=Fis ZTEST_CUPS_OUTPUT=$out/slip.bin "$program" --gtest_filter='SlipPrinting.ThroughASystemPrinterQueue'
