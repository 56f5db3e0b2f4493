# shellcheck shell=bash
# The scaffolding the end-to-end tests share; sourced by each *_test.sh.
#
# A test sets, before it sources this file:
#   e2e_name      the prefix of its messages ("keyboard" gives "keyboard: ...")
#   wait_seconds  the longest wait for a window, a focus change, a server
#   deadline      the value of SECONDS by which it has to be done
# and then calls, in this order:
#   take_program "$@"             the program under test, from the command line
#   require_tools TOOL:PACKAGE... fails at once when one is missing
#   make_temp_dir PREFIX          sets tmp and log_dir; from here on the traps hold
#   stop_on_exit VAR NAME...      the processes cleanup stops, in that order
#   diagnose_log FILE LINES TITLE once for each log a failure shows
#   start_xvfb GEOMETRY           sets xvfb_pid and DISPLAY
# It keeps step (and, where it runs in parts, run) saying what it does, for
# the failure message; it runs the program as app_pid. It may redefine
# cleanup_more (run by cleanup once the processes are stopped) and
# diagnose_more (run by diagnose before the logs).
#
# Everything a test starts is stopped on exit, also when a step fails. On
# failure diagnose prints what is known (window list, screenshot, the state
# of the program, the logs) and the temporary directory is kept; with
# KOLVART_E2E_KEEP=1 it is kept after a pass too.

: "${e2e_name:?}" "${wait_seconds:?}" "${deadline:?}"

failed=0
step="starting"
run=
missing=()
xvfb_pid=
app_pid=
stop_vars=() stop_names=()              # filled by stop_on_exit
log_files=() log_lines=() log_titles=() # filled by diagnose_log
# Changed by a test that keeps a pace of its own.
term_seconds=10  # how long stop_process waits after TERM before KILL
poll_seconds=0.1 # between two tries of wait_until

say() { printf '%s: %s\n' "$e2e_name" "$*"; }

# Sets program to the executable named on the command line.
take_program() {
    if [ $# -ne 1 ] || [ ! -x "$1" ]; then
        echo "usage: $0 PROGRAM (the built kolvart executable)" >&2
        exit 2
    fi
    # shellcheck disable=SC2034 # the test runs it
    program=$(readlink -f "$1")
}

# Fails with the list of what is missing: each tool with the Debian package
# that brings it (./dev.sh test installs them), and whatever the test has
# already put into missing by checks of its own.
require_tools() { # tool:package...
    local pair
    for pair in "$@"; do
        command -v "${pair%%:*}" >/dev/null 2>&1 || missing+=("${pair%%:*} (package ${pair#*:})")
    done
    if [ ${#missing[@]} -gt 0 ]; then
        say "FAILED: missing ${missing[*]}; ./dev.sh test installs them"
        exit 1
    fi
}

# Makes the temporary directory tmp, with log_dir, a home and a runtime
# directory inside, and sets the traps that clean up and report failures.
make_temp_dir() { # prefix
    tmp=$(mktemp -d "/tmp/$1.XXXXXX")
    log_dir="$tmp/log"
    mkdir -p "$log_dir" "$tmp/home" "$tmp/runtime"
    chmod 700 "$tmp/runtime"
    trap cleanup EXIT
    trap 'exit 130' INT
    trap 'exit 143' TERM
    trap 'fail "command failed (line $LINENO): $BASH_COMMAND"' ERR
}

# Names the variables that hold the ids of the processes cleanup stops, each
# with its name for messages, in the order they are to be stopped; empties them.
stop_on_exit() { # variable name [variable name...]
    while [ $# -ge 2 ]; do
        stop_vars+=("$1")
        stop_names+=("$2")
        printf -v "$1" '%s' ''
        shift 2
    done
}

# Adds the last lines of a log to what diagnose prints.
diagnose_log() { # file lines title
    log_files+=("$1")
    log_lines+=("$2")
    log_titles+=("$3")
}

cleanup_more() { :; }
diagnose_more() { :; }

# Stops a process started here: TERM, then KILL when it lingers.
stop_process() { # pid name
    local pid=$1
    [ -n "$pid" ] || return 0
    if kill -0 "$pid" 2>/dev/null; then
        kill -TERM "$pid" 2>/dev/null || true
        for _ in $(seq $((term_seconds * 10))); do
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
    local status=$? i
    trap - ERR
    set +e
    for i in "${!stop_vars[@]}"; do
        stop_process "${!stop_vars[i]}" "${stop_names[i]}"
    done
    cleanup_more
    if [ "$failed" -ne 0 ] || [ "$status" -ne 0 ] || [ "${KOLVART_E2E_KEEP:-0}" = 1 ]; then
        say "kept the temporary directory $tmp"
    else
        rm -rf "$tmp"
    fi
    exit "$status"
}

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
    diagnose_more
    local i
    for i in "${!log_files[@]}"; do
        show_tail "${log_files[i]}" "${log_lines[i]}" "${log_titles[i]}"
    done
    echo "===== end of diagnostics ====="
}

fail() {
    if [ "$BASH_SUBSHELL" -gt 0 ]; then
        # Inside $(...): the main shell sees the failure and reports it.
        say "$*" >&2
        exit 1
    fi
    if [ "$failed" -ne 0 ]; then
        say "FAILED again: $*" >&2
        exit 1
    fi
    trap - ERR
    failed=1
    say "FAILED${run:+ ($run)} while $step: $*"
    diagnose || true
    exit 1
}

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
        sleep "$poll_seconds"
    done
}

alive() { kill -0 "$1" 2>/dev/null; }

# Starts Xvfb on a free display and exports DISPLAY.
# -displayfd: Xvfb picks a free display itself and writes its number.
# -noreset: the server does not start afresh each time its last client goes
# away; a program started then could not connect, and the keyboard layout
# set on the server would fall back to the plain US one.
start_xvfb() { # geometry
    step="starting Xvfb"
    # Emptied here, not only by the redirection in the background child: a
    # number left by an Xvfb started before must not pass for the new one's.
    : >"$tmp/display"
    setpriv --pdeathsig TERM -- Xvfb -displayfd 3 -noreset -screen 0 "$1" \
        -nolisten tcp 3>"$tmp/display" >"$log_dir/xvfb.log" 2>&1 &
    xvfb_pid=$!
    wait_until "$wait_seconds" "Xvfb to report its display" display_ready
    DISPLAY=":$(cat "$tmp/display")"
    export DISPLAY
}
display_ready() {
    alive "$xvfb_pid" || fail "Xvfb ended at start-up"
    grep -q '^[0-9][0-9]*$' "$tmp/display" 2>/dev/null
}

# -------------------------------------------------------------- program ----
# The program runs as app_pid.

program_running() {
    alive "$app_pid" && return 0
    local status=0
    wait "$app_pid" || status=$?
    app_pid=
    fail "the program ended unexpectedly, with exit status $status"
}

program_ended() { ! alive "$app_pid"; }

# Waits for the program to end by itself; fails unless it ends with status 0.
expect_program_end() { # what it ends after
    wait_until "$wait_seconds" "the program to end after $1" program_ended
    local status=0
    wait "$app_pid" || status=$?
    app_pid=
    [ "$status" -eq 0 ] || fail "the program ended with exit status $status"
}

# Polled rather than with "xdotool search --sync", which once gave up on a
# message box that was plainly on the screen; a failed search is tried again.
window_found() { # regex
    program_running
    found=$(timeout 10 xdotool search --onlyvisible --name "$1" 2>>"$log_dir/xdotool.log" ||
        true)
    [ -n "$found" ]
}

# Sets the variable to the one visible window whose name matches the regular
# expression, waiting for it to appear.
find_window() { # variable regex description
    found=
    wait_until "$wait_seconds" "the window \"$3\" to appear" window_found "$2"
    [ "$(wc -l <<<"$found")" -eq 1 ] || fail "more than one window \"$3\": $found"
    printf -v "$1" '%s' "$found"
}

window_gone() { # window
    [[ $(xwininfo -id "$1" 2>/dev/null || true) != *"Map State: IsViewable"* ]]
}
