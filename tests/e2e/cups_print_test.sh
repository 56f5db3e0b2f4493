#!/usr/bin/env bash
# End to end: the program prints through a real CUPS server.
#
#   cups_print_test.sh PROGRAM
#
# Starts a CUPS server of its own (private configuration and spool in a
# temporary directory, reachable only through a Unix socket there) with a
# cups-pdf queue as its default printer, an Xvfb server on a free display and
# the program. Types 10, 1, 1 and clicks "Bereken" with the keyboard, then
# prints eight blocks with "Afdruk" (accepting the print dialog the first
# time and the message box every time; the eighth block after a second
# calculation with 20, 0.5, 10) and ends with "Stoppen". The program has to
# end by itself and its one print job has to come out of cups-pdf as a PDF of
# two sheets: seven blocks on the first, the eighth on the second, each block
# with its labels, " = ", values and units.
#
# Then five more runs of two blocks each, with a change to the print service
# between the second block and "Stoppen": none (the queue gets a job, no box
# appears), the queue rejecting jobs (cupsreject), the program's user refused
# (lpadmin -u deny:), the queue removed (lpadmin -x) and cupsd stopped. Each
# refusal has to bring up a message box "Kolvart" (its screenshot is kept in
# the temporary directory) and the program has to end, with status 0, once
# the box is closed.
#
# Everything it starts is stopped on exit, also when a step fails. On failure
# it prints what it knows (window list, screenshot, the logs of cupsd,
# cups-pdf and the program) and keeps the temporary directory.
#
# Needs root: cupsd runs the cups-pdf backend as root only. Without root the
# test is skipped (exit code 77).
#
# Environment: KOLVART_E2E_KEEP=1 keeps the temporary directory after a pass.
set -Eeuo pipefail
export LC_ALL=C

readonly wait_seconds=30     # for a window, a focus change, a server to start
readonly job_wait_seconds=120 # for cups-pdf to write the PDF
readonly deadline=$((SECONDS + 270)) # stays below the CTest timeout

say() { printf 'cups_print: %s\n' "$*"; }

if [ $# -ne 1 ] || [ ! -x "$1" ]; then
    echo "usage: $0 PROGRAM (the built kolvart executable)" >&2
    exit 2
fi
program=$(readlink -f "$1")

if [ "$(id -u)" -ne 0 ]; then
    say "skipped: needs root (cupsd starts the cups-pdf backend only as root)"
    exit 77
fi

# Each tool with the Debian package that brings it (./dev.sh test installs them).
missing=()
for pair in cupsd:cups-daemon lpadmin:cups-client lpstat:cups-client cupsreject:cups-client \
    cupsaccept:cups-client \
    Xvfb:xvfb xdotool:xdotool xwininfo:x11-utils import:imagemagick \
    pdfinfo:poppler-utils pdftotext:poppler-utils pdftocairo:poppler-utils \
    gs:ghostscript unshare:util-linux setpriv:util-linux timeout:coreutils; do
    command -v "${pair%%:*}" >/dev/null 2>&1 || missing+=("${pair%%:*} (package ${pair#*:})")
done
[ -x /usr/lib/cups/backend/cups-pdf ] || missing+=("the cups-pdf backend (package printer-driver-cups-pdf)")
[ -x /usr/lib/cups/filter/pdftops ] || missing+=("the pdftops filter (package cups-filters)")
ppd=/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd
[ -r "$ppd" ] || missing+=("$ppd (package printer-driver-cups-pdf)")
if [ ${#missing[@]} -gt 0 ]; then
    say "FAILED: missing ${missing[*]}; ./dev.sh test installs them"
    exit 1
fi

# Short, fixed base: the path of the server's socket must stay well within
# the 107 bytes a Unix socket address can hold.
tmp=$(mktemp -d /tmp/kolvart-e2e.XXXXXX)
# cupsd runs its filters as the user lp: they have to reach the spool inside.
chmod 755 "$tmp"
# The queue name also names the cups-pdf configuration file; unique per run.
queue="kolvart-e2e-${tmp##*.}"
log_dir="$tmp/log"
pdf_dir="$tmp/pdf"
mkdir -p "$log_dir" "$tmp/cups/ppd" "$tmp/spool/tmp" "$tmp/cache" "$tmp/state" \
    "$tmp/home" "$tmp/runtime" "$tmp/cups-pdf-etc"
chmod 700 "$tmp/runtime"

cupsd_pid=
xvfb_pid=
app_pid=
cups_pdf_conf_outside= # set when the cups-pdf configuration had to go to /etc/cups
failed=0
step="starting"

# Stops a process started here: TERM, then KILL when it lingers.
stop_process() { # pid name
    local pid=$1
    [ -n "$pid" ] || return 0
    if kill -0 "$pid" 2>/dev/null; then
        kill -TERM "$pid" 2>/dev/null || true
        for _ in $(seq 100); do
            kill -0 "$pid" 2>/dev/null || break
            sleep 0.1
        done
        if kill -0 "$pid" 2>/dev/null; then
            say "$2 (pid $pid) did not stop on TERM; killing it"
            kill -KILL "$pid" 2>/dev/null || true
        fi
    fi
    wait "$pid" 2>/dev/null || true
}

cleanup() {
    local status=$?
    trap - ERR
    set +e
    stop_process "$app_pid" "the program"
    stop_process "$xvfb_pid" "Xvfb"
    # cupsd ends the filters and the backend of a job still running.
    stop_process "$cupsd_pid" "cupsd"
    if [ -n "$cups_pdf_conf_outside" ]; then
        rm -f "$cups_pdf_conf_outside"
    fi
    if [ "$failed" -ne 0 ] || [ "$status" -ne 0 ] || [ "${KOLVART_E2E_KEEP:-0}" = 1 ]; then
        say "kept the temporary directory $tmp"
    else
        rm -rf "$tmp"
    fi
    exit "$status"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

show_tail() { # file lines title
    if [ -s "$1" ]; then
        echo "----- $3 ($1, last $2 lines) -----"
        tail -n "$2" "$1"
    else
        echo "----- $3: $1 is empty or missing -----"
    fi
}

diagnose() {
    echo "===== diagnostics (temporary directory $tmp) ====="
    if [ -n "$xvfb_pid" ] && kill -0 "$xvfb_pid" 2>/dev/null; then
        echo "----- visible windows on ${DISPLAY:-} -----"
        local w
        for w in $(timeout 10 xdotool search --onlyvisible --name '.' 2>/dev/null); do
            echo "$w: $(timeout 5 xdotool getwindowname "$w" 2>/dev/null)"
        done
        echo "input focus: $(timeout 5 xdotool getwindowfocus 2>/dev/null)"
        if timeout 20 import -window root "$tmp/screenshot.png" 2>/dev/null; then
            echo "screenshot of the display: $tmp/screenshot.png"
        fi
    fi
    if [ -n "$app_pid" ]; then
        if kill -0 "$app_pid" 2>/dev/null; then
            echo "the program (pid $app_pid) is still running"
        else
            echo "the program is no longer running"
        fi
    fi
    if [ -n "${CUPS_SERVER:-}" ] && [ -n "$cupsd_pid" ] && kill -0 "$cupsd_pid" 2>/dev/null; then
        echo "----- jobs on the CUPS server -----"
        timeout 10 lpstat -l -W all -o 2>&1 || true
        timeout 10 lpstat -p 2>&1 || true
    fi
    ls -l "$pdf_dir" 2>/dev/null || echo "no cups-pdf output directory $pdf_dir"
    if [ -s "$log_dir/error_log" ]; then
        echo "----- errors and warnings of cupsd ($log_dir/error_log) -----"
        grep -E '^[EW] ' "$log_dir/error_log" | tail -n 20 || true
    fi
    if [ -s "$log_dir/error_log" ]; then
        echo "----- cupsd error_log without the client chatter (last 60 lines) -----"
        grep -Ev '\[Client [0-9]+\]|cupsdSetBusyState' "$log_dir/error_log" | tail -n 60 || true
    fi
    show_tail "$log_dir/cupsd.out" 20 "cupsd output"
    show_tail "$log_dir/cups-pdf-${queue}_log" 40 "cups-pdf log"
    show_tail "$log_dir/lpadmin.log" 20 "lpadmin output"
    show_tail "$log_dir/program.log" 40 "the program's output"
    show_tail "$log_dir/xdotool.log" 20 "xdotool errors"
    show_tail "$log_dir/xvfb.log" 20 "Xvfb output"
    echo "===== end of diagnostics ====="
}

fail() {
    if [ "$BASH_SUBSHELL" -gt 0 ]; then
        # Inside $(...): the main shell sees the failure and reports it.
        say "$*" >&2
        exit 1
    fi
    trap - ERR
    failed=1
    say "FAILED while $step: $*"
    diagnose || true
    exit 1
}
trap 'fail "command failed (line $LINENO): $BASH_COMMAND"' ERR

# Sets lim to the seconds a wait may take: its own limit, cut to what is
# left before the deadline.
limit() {
    local left=$((deadline - SECONDS))
    [ "$left" -gt 0 ] || fail "ran out of time"
    if [ "$1" -lt "$left" ]; then lim=$1; else lim=$left; fi
}

# Polls a command until it succeeds.
wait_until() { # seconds description command...
    local seconds description end
    limit "$1"
    seconds=$lim
    description=$2
    shift 2
    end=$((SECONDS + seconds))
    until "$@"; do
        [ "$SECONDS" -lt "$end" ] || fail "waited ${seconds}s for $description"
        sleep 0.1
    done
}

alive() { kill -0 "$1" 2>/dev/null; }

# ---------------------------------------------------------------- CUPS ----
step="starting cupsd"
cat >"$tmp/cups-files.conf" <<EOF
ServerRoot $tmp/cups
RequestRoot $tmp/spool
TempDir $tmp/spool/tmp
CacheDir $tmp/cache
StateDir $tmp/state
ServerKeychain $tmp/cups/ssl
ErrorLog $log_dir/error_log
AccessLog $log_dir/access_log
PageLog $log_dir/page_log
Printcap $tmp/printcap
User lp
Group lp
SystemGroup root
LogFileGroup root
PeerCred on
EOF
cat >"$tmp/cupsd.conf" <<EOF
LogLevel debug
MaxLogSize 0
Listen $tmp/cups.sock
Browsing Off
BrowseLocalProtocols none
DefaultShared No
WebInterface No
ErrorPolicy abort-job
<Location />
  Order allow,deny
  Allow localhost
</Location>
<Policy default>
  JobPrivateAccess default
  JobPrivateValues default
  SubscriptionPrivateAccess default
  SubscriptionPrivateValues default
  <Limit All>
    Order deny,allow
  </Limit>
</Policy>
EOF

# cups-pdf reads its settings only from /etc/cups, for the device URI
# cups-pdf:/NAME from /etc/cups/cups-pdf-NAME.conf. Where mount namespaces
# are allowed, cupsd (and with it cups-pdf) sees a private directory over
# /etc/cups and the system is not touched; elsewhere the file goes into the
# real /etc/cups for the length of the test.
cat >"$tmp/cups-pdf-etc/cups-pdf-$queue.conf" <<EOF
Out $pdf_dir
AnonDirName $pdf_dir
Spool $tmp/cups-pdf-spool
Log $log_dir
LogType 7
Grp lp
GSTmp $tmp/spool/tmp
EOF
if unshare --mount --propagation private -- \
    mount --bind "$tmp/cups-pdf-etc" /etc/cups >/dev/null 2>&1; then
    # shellcheck disable=SC2016 # expanded by the inner sh
    cupsd_command=(unshare --mount --propagation private -- sh -c
        'mount --bind "$1" /etc/cups && exec cupsd -f -c "$2/cupsd.conf" -s "$2/cups-files.conf"'
        sh "$tmp/cups-pdf-etc" "$tmp")
else
    say "no mount namespace here: putting the cups-pdf settings into /etc/cups for the test"
    [ -d /etc/cups ] || fail "/etc/cups does not exist"
    cups_pdf_conf_outside="/etc/cups/cups-pdf-$queue.conf"
    cp "$tmp/cups-pdf-etc/cups-pdf-$queue.conf" "$cups_pdf_conf_outside"
    cupsd_command=(cupsd -f -c "$tmp/cupsd.conf" -s "$tmp/cups-files.conf")
fi
cupsd -t -c "$tmp/cupsd.conf" -s "$tmp/cups-files.conf" >"$log_dir/cupsd-check.log" 2>&1 ||
    fail "cupsd rejects the configuration: $(cat "$log_dir/cupsd-check.log")"

# The server, Xvfb and the program get TERM should this script be killed.
setpriv --pdeathsig TERM -- "${cupsd_command[@]}" >"$log_dir/cupsd.out" 2>&1 &
cupsd_pid=$!

export CUPS_SERVER="$tmp/cups.sock"
unset PRINTER LPDEST
export HOME="$tmp/home"
export XDG_RUNTIME_DIR="$tmp/runtime"
cupsd_ready() {
    alive "$cupsd_pid" || fail "cupsd ended at start-up"
    [ -S "$CUPS_SERVER" ] && [ "$(lpstat -r 2>/dev/null || true)" = "scheduler is running" ]
}
wait_until "$wait_seconds" "cupsd to answer on $CUPS_SERVER" cupsd_ready

add_queue() {
    step="adding the cups-pdf queue"
    # pdftocairo: with the default renderer the text reaches cups-pdf as glyph
    # outlines and the PDF holds no text to read back.
    lpadmin -p "$queue" -E -v "cups-pdf:/$queue" -P "$ppd" \
        -o pdftops-renderer-default=pdftocairo -o printer-is-shared=false \
        >>"$log_dir/lpadmin.log" 2>&1 || fail "lpadmin could not add the queue"
    lpadmin -d "$queue" >>"$log_dir/lpadmin.log" 2>&1 ||
        fail "lpadmin could not make the queue the default"
    [ "$(lpstat -d)" = "system default destination: $queue" ] ||
        fail "the default printer is not $queue: $(lpstat -d 2>&1)"
}
add_queue
say "cupsd runs on $CUPS_SERVER with the default queue $queue"

# ---------------------------------------------------------------- Xvfb ----
step="starting Xvfb"
# -displayfd: Xvfb picks a free display itself and writes its number.
# -noreset: the server does not start afresh each time its last client, the
# program or xdotool, goes away; a program started then could not connect.
setpriv --pdeathsig TERM -- Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset \
    3>"$tmp/display" >"$log_dir/xvfb.log" 2>&1 &
xvfb_pid=$!
display_ready() {
    alive "$xvfb_pid" || fail "Xvfb ended at start-up"
    grep -q '^[0-9][0-9]*$' "$tmp/display" 2>/dev/null
}
wait_until "$wait_seconds" "Xvfb to report its display" display_ready
display=$(cat "$tmp/display")
export DISPLAY=":$display"
say "Xvfb runs on $DISPLAY"

# -------------------------------------------------------------- program ----
program_running() {
    alive "$app_pid" && return 0
    local status=0
    wait "$app_pid" || status=$?
    fail "the program ended unexpectedly, with exit status $status"
}

# Polled rather than with "xdotool search --sync", which once gave up on a
# message box that was plainly on the screen; a failed search is tried again.
window_found() {
    program_running
    found=$(timeout 10 xdotool search --onlyvisible --name "$search" 2>>"$log_dir/xdotool.log" ||
        true)
    [ -n "$found" ]
}

# Sets the variable to the one visible window whose name matches the regular
# expression, waiting for it to appear.
find_window() { # variable regex description
    search=$2
    found=
    wait_until "$wait_seconds" "the window \"$3\" to appear" window_found
    [ "$(wc -l <<<"$found")" -eq 1 ] || fail "more than one window \"$3\": $found"
    printf -v "$1" '%s' "$found"
}

# Gives a window the input focus (there is no window manager to do it).
focus() { # window description
    limit "$wait_seconds"
    timeout "$lim" xdotool windowfocus --sync "$1" >/dev/null 2>&1 ||
        fail "could not give the focus to $2"
}

window_gone() {
    local info
    info=$(xwininfo -id "$1" 2>/dev/null || true)
    [[ $info != *"Map State: IsViewable"* ]]
}

# Focuses a dialog, presses Return on its default button and waits until it closes.
accept() { # window description
    focus "$1" "$2"
    xdotool key Return
    wait_until "$wait_seconds" "$2 to close after Return" window_gone "$1"
}

main='' dialog='' box='' # window ids, set by find_window
program_user=root # the user name the program gives the print service

# Starts the program and waits for its window.
start_program() {
    step="starting the program"
    # No session bus: with none given, libdbus tries to autolaunch one for the
    # display (a dbus-daemon that would outlive the test where dbus-launch is
    # installed, a leak report from the failed attempt under LeakSanitizer).
    DBUS_SESSION_BUS_ADDRESS="unix:path=$tmp/no-session-bus" CUPS_USER="$program_user" \
        QT_QPA_PLATFORM=xcb LANG=C.UTF-8 LC_ALL=C.UTF-8 \
        setpriv --pdeathsig TERM -- "$program" >>"$log_dir/program.log" 2>&1 &
    app_pid=$!
    find_window main '^Berekenen van luchtspoeltjes' "Berekenen van luchtspoeltjes"
}

# Types 10, 1 and 1 into the entries and calculates.
calculate() {
    step="typing the coil and calculating"
    focus "$main" "the main window"
    # The window's activation puts the focus into the diameter box; Return
    # moves it on to the wire and then to the inductance box.
    xdotool type --delay 20 10
    xdotool key Return
    xdotool type --delay 20 1
    xdotool key Return
    xdotool type --delay 20 1
    xdotool key alt+b
}

# Prints one block with "Afdruk": accepts the print dialog at the first
# print of the run and the message box every time.
print_block() { # n total
    step="print $1 of $2"
    focus "$main" "the main window"
    xdotool key alt+a
    if [ "$1" -eq 1 ]; then
        find_window dialog '^Print' "the print dialog"
        accept "$dialog" "the print dialog"
    fi
    find_window box '^Kolvart$' "the message box Kolvart after print $1"
    accept "$box" "the message box Kolvart after print $1"
}

program_ended() { ! alive "$app_pid"; }

# Clicks "Stoppen" with Alt+S. With "box", a message box Kolvart has to
# appear (its screenshot goes to the temporary directory) and the program has
# to end once it is closed; with "no box", the program has to end at once.
stop_program() { # box|"no box" name
    step="stopping the program ($2)"
    focus "$main" "the main window"
    xdotool key alt+s
    if [ "$1" = box ]; then
        find_window box '^Kolvart$' "the message box Kolvart after \"Stoppen\" ($2)"
        timeout 20 import -window "$box" "$tmp/box-$2.png" 2>/dev/null || true
        accept "$box" "the message box Kolvart after \"Stoppen\" ($2)"
    fi
    wait_until "$wait_seconds" "the program to end after Alt+S ($2)" program_ended
    local app_status=0
    wait "$app_pid" || app_status=$?
    app_pid=
    [ "$app_status" -eq 0 ] || fail "the program ended with exit status $app_status"
}

start_program
calculate
prints=8
for n in $(seq "$prints"); do
    program_running
    if [ "$n" -eq "$prints" ]; then
        step="entering a second coil before print $n"
        focus "$main" "the main window"
        # The calculation left the focus in the diameter box and the access
        # keys do not move it, so it is there again. Each entry is emptied
        # (Home, Shift+End, Delete) and typed anew; Return moves on to the
        # next one.
        for value in 20 0.5 10; do
            xdotool key Home shift+End Delete
            xdotool type --delay 20 "$value"
            xdotool key Return
        done
        xdotool key alt+b
    fi
    print_block "$n" "$prints"
done
stop_program "no box" "eight blocks"
say "the program ended by itself after \"Stoppen\""

# ----------------------------------------------------------------- job ----
step="waiting for the print job"
jobs_listed=$(lpstat -W all -o "$queue" 2>/dev/null || true)
[ -n "$jobs_listed" ] || fail "no print job reached the CUPS server"
[ "$(wc -l <<<"$jobs_listed")" -eq 1 ] ||
    fail "the blocks went to more than one print job: $jobs_listed"
job_done() { [ -z "$(lpstat -o "$queue" 2>/dev/null || true)" ]; }
wait_until "$job_wait_seconds" "the print job to finish" job_done
shopt -s nullglob
pdfs=("$pdf_dir"/*.pdf)
shopt -u nullglob
[ ${#pdfs[@]} -eq 1 ] || fail "expected one PDF from cups-pdf in $pdf_dir, found ${#pdfs[@]}"
pdf=${pdfs[0]}
say "cups-pdf wrote $pdf"

# ----------------------------------------------------------------- PDF ----
step="checking the PDF"
pages=$(pdfinfo "$pdf" | sed -n 's/^Pages: *//p')
[ "$pages" = 2 ] || fail "the PDF has ${pages:-no} pages, not 2"

# The text of one page, one printed line to a line: ligatures spelt out,
# runs of blanks made one, empty lines left out.
page_text() { # page
    pdftotext -layout -enc UTF-8 -f "$1" -l "$1" "$pdf" - |
        sed -e 's/ﬁ/fi/g; s/ﬂ/fl/g; s/ﬀ/ff/g; s/ﬃ/ffi/g; s/ﬄ/ffl/g' \
            -e 's/[[:space:]][[:space:]]*/ /g; s/^ //; s/ $//' |
        grep -v '^$' || true
}
block() { # diameter wire inductance diameter2 length turns
    cat <<EOF
Spoeldiameter (opgave) = $1 mm
Draad dikte (opgave) = $2 mm
Zelfinductie (opgave) = $3 uH
Spoeldiameter (berekend) = $4 mm
Spoellengte = $5 mm
Aantal windingen = $6
Let op afrondings verschillen en verschil tussen aanbevolen en opgegeven diameter
EOF
}
for _ in 1 2 3 4 5 6 7; do block 10 1 1 10 13.8 13.6; done >"$tmp/expected-page1.txt"
block 20 0.5 10 14.5 16.6 33.4 >"$tmp/expected-page2.txt"

for page in 1 2; do
    page_text "$page" >"$tmp/page$page.txt"
    blocks=$(grep -c '^Aantal windingen' "$tmp/page$page.txt" || true)
    expected_blocks=$([ "$page" = 1 ] && echo 7 || echo 1)
    if ! diff -u "$tmp/expected-page$page.txt" "$tmp/page$page.txt" >"$tmp/page$page.diff"; then
        echo "----- page $page: expected (-) and printed (+) text -----"
        cat "$tmp/page$page.diff"
        if [ "$blocks" != "$expected_blocks" ]; then
            fail "page $page of $pdf holds $blocks blocks, not $expected_blocks"
        fi
        fail "page $page of $pdf does not hold the expected text"
    fi
done
say "page 1 holds 7 blocks, page 2 the eighth; labels, values and units as expected"

# ------------------------------------------------------- refused jobs ----
jobs_on_queue() { lpstat -W all -o "$queue" 2>/dev/null | wc -l; }

# Two blocks, then "Stoppen" after the given change to the print service.
# A job the service takes is released without a box; a job it refuses is
# reported in a box Kolvart, and the program ends after that box.
two_blocks_then_stop() { # box|"no box" name command...
    local expect=$1 name=$2
    shift 2
    start_program
    calculate
    print_block 1 2
    print_block 2 2
    step="refusing the job: $name"
    "$@" >>"$log_dir/lpadmin.log" 2>&1 || fail "could not change the print service: $*"
    stop_program "$expect" "$name"
    say "$name: $([ "$expect" = box ] && echo "the box Kolvart, then the end" || echo "no box, the end")"
}

jobs_before=$(jobs_on_queue)
two_blocks_then_stop "no box" "queue accepting" true
[ "$(jobs_on_queue)" -eq $((jobs_before + 1)) ] ||
    fail "the accepting queue did not get the job: $(lpstat -W all -o "$queue" 2>&1)"

jobs_before=$(jobs_on_queue)
two_blocks_then_stop box "queue rejecting" cupsreject "$queue"
[ "$(jobs_on_queue)" -eq "$jobs_before" ] || fail "the rejecting queue got a job"
cupsaccept "$queue" >>"$log_dir/lpadmin.log" 2>&1 || fail "cupsaccept failed"

# cupsd lets root print anywhere: the program prints as another user here.
program_user=kolvart-e2e
two_blocks_then_stop box "user refused" lpadmin -p "$queue" -u "deny:$program_user"
[ "$(jobs_on_queue)" -eq "$jobs_before" ] || fail "the queue took a job from a refused user"
lpadmin -p "$queue" -u allow:all >>"$log_dir/lpadmin.log" 2>&1 || fail "lpadmin -u allow:all failed"
program_user=root

two_blocks_then_stop box "queue removed" lpadmin -x "$queue"
add_queue # with no queue at all the print dialog offers a PDF file

stop_cupsd() {
    stop_process "$cupsd_pid" "cupsd"
    cupsd_pid=
}
two_blocks_then_stop box "print service stopped" stop_cupsd
say "PASSED"
