#!/usr/bin/env bash
# A PDF printer for wine: a CUPS daemon of our own, with a printer that
# writes PDF files through cups-pdf, started without a service manager.
#
#   scripts/pdf-printer.sh start DIR   start it with its state in DIR (if it is
#                                      not running already); prints the line
#                                      CUPS_SERVER=DIR/cups.sock to export for wine
#   scripts/pdf-printer.sh stop DIR    stop the daemon started for DIR and
#                                      remove what it kept in DIR
#
# The daemon's filters run as the user lp, who must reach DIR: choose it
# under /tmp (a home folder is often closed to others).
#
# The printer is "Quillcrest_PDF", the daemon's default. cups-pdf writes each
# job to the PDF folder of the user who printed (~/PDF), named after the
# document's title. The daemon listens only on the socket DIR/cups.sock, so
# nothing else on the machine sees it; wine's printing finds it through
# CUPS_SERVER. It runs as root: cups-pdf refuses to run otherwise (sudo is
# used when we are not root). Needs the packages cups and
# printer-driver-cups-pdf (scripts/deps.sh installs them).
set -uo pipefail

PRINTER=Quillcrest_PDF
CUPSD=/usr/sbin/cupsd
PPD=/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd
BACKEND=/usr/lib/cups/backend/cups-pdf

die() { echo "pdf-printer: $*" >&2; exit 1; }

action=${1:-}
dir=${2:-}
[ -n "$action" ] && [ -n "$dir" ] || die "usage: pdf-printer.sh start|stop DIR"
mkdir -p "$dir" || die "cannot create $dir"
dir=$(cd "$dir" && pwd)
[ "$action" = start ] && chmod 755 "$dir"
SOCKET=$dir/cups.sock
PIDFILE=$dir/cupsd.pid

sudo=()
[ "$(id -u)" = 0 ] || sudo=(sudo)

running() {
  [ -f "$PIDFILE" ] && "${sudo[@]}" kill -0 "$(cat "$PIDFILE")" 2>/dev/null
}

case "$action" in
  stop)
    if running; then
      pid=$(cat "$PIDFILE")
      "${sudo[@]}" kill "$pid" 2>/dev/null
      for _ in $(seq 50); do "${sudo[@]}" kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    fi
    rm -f "$PIDFILE"
    "${sudo[@]}" rm -rf "$dir/conf" "$dir/spool" "$dir/cache" "$dir/state" "$dir/log" "$SOCKET"
    exit 0
    ;;
  start) ;;
  *) die "unknown action '$action' (start or stop)" ;;
esac

if running && [ -S "$SOCKET" ]; then
  echo "CUPS_SERVER=$SOCKET"
  exit 0
fi
[ -x "$CUPSD" ] || die "no CUPS daemon ($CUPSD): install the package cups"
[ -f "$PPD" ] && [ -e "$BACKEND" ] || die "no cups-pdf ($BACKEND): install the package printer-driver-cups-pdf"

# The daemon gives its folders the owners its filters need, and makes its
# temporary folder inside the spool; the configuration and the printer are
# ours.
conf=$dir/conf
rm -rf "$conf" "$dir/spool" "$dir/cache" "$dir/state"
mkdir -p "$conf/ppd" "$dir/log" "$dir/spool" "$dir/cache" "$dir/state"
cat >"$conf/cups-files.conf" <<EOF
ServerRoot $conf
RequestRoot $dir/spool
CacheDir $dir/cache
StateDir $dir/state
ErrorLog $dir/log/error_log
AccessLog $dir/log/access_log
PageLog $dir/log/page_log
SystemGroup root
EOF
cat >"$conf/cupsd.conf" <<EOF
Listen $SOCKET
Browsing No
WebInterface No
LogLevel warn
MaxLogSize 1m
<Location />
  Order allow,deny
  Allow localhost
</Location>
EOF
cp "$PPD" "$conf/ppd/$PRINTER.ppd"
cat >"$conf/printers.conf" <<EOF
<DefaultPrinter $PRINTER>
Info Quillcrest PDF printer
MakeModel Generic CUPS-PDF Printer
DeviceURI cups-pdf:/
State Idle
Type 8433668
Accepting Yes
Shared No
</DefaultPrinter>
EOF
rm -f "$SOCKET"
# Foreground mode (-f) in the background: we keep its process id.
"${sudo[@]}" "$CUPSD" -f -c "$conf/cupsd.conf" -s "$conf/cups-files.conf" </dev/null >>"$dir/log/cupsd.out" 2>&1 &
echo $! >"$PIDFILE"
for _ in $(seq 100); do
  [ -S "$SOCKET" ] && break
  running || break
  sleep 0.1
done
[ -S "$SOCKET" ] && running ||
  die "the CUPS daemon did not start; see $dir/log/error_log and $dir/log/cupsd.out"
echo "CUPS_SERVER=$SOCKET"
