#!/usr/bin/env bash
# End to end: the program's window on a real X server, first bare, then
# under a real window manager (openbox) that frames it.
#
#   window_manager_test.sh PROGRAM
#
# Starts an Xvfb server on a free display and runs the program on it twice:
#   bare:     no window manager; the client area stands centred on the screen.
#   openbox:  openbox runs beside the server and puts its frame round the
#             window; the frame, title bar included, stands centred, and it
#             opened there: after the frame is mapped it does not move.
# Each run then checks the window's activation from outside. The window
# manager (or, bare, the program itself) activates the window at start, and
# the activation puts the focus into the diameter box: typed digits land
# there, as the X primary selection shows once they are selected with
# Home, Shift+End. Under openbox a calculation that fails shows a message
# box; when it closes, the window manager activates the window again, and
# that activation must leave the focus where it was (in the inductance box).
#
# Everything it starts is stopped on exit, also when a step fails. On failure
# it prints what it knows and keeps the temporary directory.
#
# Environment: KOLVART_E2E_KEEP=1 keeps the temporary directory after a pass.
set -Eeuo pipefail
export LC_ALL=C

readonly wait_seconds=30
readonly deadline=$((SECONDS + 170)) # stays below the CTest timeout
readonly screen_width=1024 screen_height=768
readonly tolerance=2 # pixels between the window's centre and the screen's

e2e_name=window_manager
. "$(dirname "${BASH_SOURCE[0]}")/e2e_lib.sh"
term_seconds=5    # a process stopped here gets 5 s after TERM before KILL
poll_seconds=0.05 # focus and window changes are polled closely

take_program "$@"
require_tools Xvfb:xvfb openbox:openbox xdotool:xdotool xwininfo:x11-utils xprop:x11-utils \
    xev:x11-utils xclip:xclip setpriv:util-linux timeout:coreutils

make_temp_dir kolvart-wm
export HOME="$tmp/home" XDG_RUNTIME_DIR="$tmp/runtime" XDG_CONFIG_HOME="$tmp/home/.config"

stop_on_exit app_pid "the program" xev_pid xev wm_pid openbox xvfb_pid Xvfb
main='' box='' # window ids, set by find_window
diagnose_log "$log_dir/program-bare.log" 20 "the program's output, bare"
diagnose_log "$log_dir/program-openbox.log" 20 "the program's output under openbox"
diagnose_log "$log_dir/xdotool.log" 20 "xdotool errors"
diagnose_log "$log_dir/xvfb.log" 20 "Xvfb output"
diagnose_log "$log_dir/openbox.log" 20 "openbox output"
diagnose_log "$log_dir/xev.log" 20 "xev: the events on the root window"

focused() { [ "$(xdotool getwindowfocus 2>/dev/null || true)" = "$1" ]; }

# The text of the box that has the focus: selected from end to start, which
# puts it into the primary selection.
focused_text() {
    xclip -selection primary -i /dev/null # clear
    xdotool key End shift+Home
    local text=
    for _ in $(seq 40); do
        text=$(xclip -selection primary -o 2>/dev/null || true)
        [ -z "$text" ] || break
        sleep 0.05
    done
    xdotool key End
    printf '%s' "$text"
}

# Sets x y width height to the window's place on the screen.
placement() { # window
    local info
    info=$(xwininfo -id "$1")
    x=$(sed -n 's/^ *Absolute upper-left X: *//p' <<<"$info")
    y=$(sed -n 's/^ *Absolute upper-left Y: *//p' <<<"$info")
    width=$(sed -n 's/^ *Width: *//p' <<<"$info")
    height=$(sed -n 's/^ *Height: *//p' <<<"$info")
}

# Fails unless the rectangle is centred on the screen within the tolerance.
check_centred() { # what x y width height
    local dx=$((2 * $2 + $4 - screen_width)) dy=$((2 * $3 + $5 - screen_height))
    # Twice the distance of the centres, against twice the tolerance.
    if [ "${dx#-}" -gt $((2 * tolerance)) ] || [ "${dy#-}" -gt $((2 * tolerance)) ]; then
        fail "$1 at ($2,$3) size ${4}x$5 is not centred on the ${screen_width}x$screen_height screen (off by $((dx / 2)),$((dy / 2)))"
    fi
    say "$1 at ($2,$3) size ${4}x$5 stands centred"
}

# The child of the root window that holds the window: its frame, if any.
top_level() { # window
    local window=$1 parent root
    root=$(xwininfo -root | sed -n 's/.*Window id: \(0x[0-9a-f]*\).*/\1/p')
    for _ in $(seq 10); do
        parent=$(xwininfo -id "$window" -tree | sed -n 's/.*Parent window id: \(0x[0-9a-f]*\).*/\1/p')
        [ "$parent" != "$root" ] || break
        window=$parent
    done
    printf '%d' "$window"
}

start_program() {
    DBUS_SESSION_BUS_ADDRESS="unix:path=$tmp/no-session-bus" LANG=C.UTF-8 \
        setpriv --pdeathsig TERM -- "$program" >"$log_dir/program-$run.log" 2>&1 &
    app_pid=$!
}

stop_program() {
    stop_process "$app_pid" "the program"
    app_pid=
}

# ---------------------------------------------------------------- Xvfb ----
start_xvfb "${screen_width}x${screen_height}x24"
unset WAYLAND_DISPLAY QT_QPA_PLATFORM
say "Xvfb runs on $DISPLAY"

# ------------------------------------------------ bare: no window manager ----
run=bare
step="starting the program"
start_program
find_window main '^Berekenen van luchtspoeltjes' "Berekenen van luchtspoeltjes"
[ "$(top_level "$main")" = "$main" ] || fail "the window has a frame without a window manager"
placement "$main"
check_centred "the client area" "$x" "$y" "$width" "$height"
step="typing into the box that has the focus"
wait_until "$wait_seconds" "the window to take the focus" focused "$main"
xdotool type --delay 20 12
[ "$(focused_text)" = 12 ] || fail "the digits did not land in the diameter box alone"
stop_program

# ------------------------------------------------------------- openbox ----
run=openbox
step="starting openbox"
setpriv --pdeathsig TERM -- openbox --sm-disable >"$log_dir/openbox.log" 2>&1 &
wm_pid=$!
wm_ready() {
    alive "$wm_pid" || fail "openbox ended at start-up"
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'
}
wait_until "$wait_seconds" "openbox to manage the screen" wm_ready
# Every move of a window on the screen, from before the program starts: xev
# listens once it reports a property set on the root window.
setpriv --pdeathsig TERM -- xev -root -event substructure -event property >"$log_dir/xev.log" 2>&1 &
xev_pid=$!
xev_listens() {
    alive "$xev_pid" || fail "xev ended at start-up"
    xprop -root -f _KOLVART_E2E_MARK 8s -set _KOLVART_E2E_MARK ready
    grep -q '_KOLVART_E2E_MARK' "$log_dir/xev.log"
}
wait_until "$wait_seconds" "xev to listen on the root window" xev_listens

step="starting the program"
start_program
find_window main '^Berekenen van luchtspoeltjes' "Berekenen van luchtspoeltjes"
frame=$(top_level "$main")
[ "$frame" != "$main" ] || fail "openbox did not put a frame round the window"
wait_until "$wait_seconds" "openbox to give the window the focus" focused "$main"
placement "$frame"
check_centred "the frame" "$x" "$y" "$width" "$height"

step="checking that the frame did not move after it was mapped"
stop_process "$xev_pid" "xev"
xev_pid=
frame_hex=$(printf '0x%x' "$frame")
# The frame's positions from its configure events, and "map" where it was mapped.
moves=$(awk -v frame="$frame_hex" '
    /^[A-Za-z]+ event,/ { type = $1; next }
    type == "ConfigureNotify" && $0 ~ ("window " frame ", \\(") {
        match($0, /\([-0-9]+,[-0-9]+\)/); print substr($0, RSTART, RLENGTH); type = "" }
    type == "MapNotify" && $0 ~ ("window " frame ",") { print "map"; type = "" }
' "$log_dir/xev.log")
mapped_at=$(sed -n '/^map$/{x;p;q};h' <<<"$moves")
[ -n "$mapped_at" ] || fail "xev saw no map of the frame $frame_hex: $(tr '\n' ' ' <<<"$moves")"
after=$(sed -n '/^map$/,$p' <<<"$moves" | grep -v '^map$' | grep -vxF "$mapped_at" || true)
[ -z "$after" ] ||
    fail "the frame opened at $mapped_at and then moved to $(tr '\n' ' ' <<<"$after")"
say "the frame opened at $mapped_at and stayed there"

step="checking the activation at start"
xdotool type --delay 20 0.2
[ "$(focused_text)" = 0.2 ] || fail "the digits did not land in the diameter box alone"

step="closing a message box"
# 0.2, 1 and 3 make the calculation fail with a message box.
xdotool key Return
xdotool type --delay 20 1
xdotool key Return
xdotool type --delay 20 3
xdotool key alt+b
find_window box '^Kolvart$' "the message box Kolvart"
wait_until "$wait_seconds" "the message box to take the focus" focused "$box"
xdotool key Return
wait_until "$wait_seconds" "the message box to close" window_gone "$box"
wait_until "$wait_seconds" "openbox to activate the window again" focused "$main"
text=$(focused_text)
[ "$text" = 3 ] ||
    fail "after the message box the focus is in the box holding \"$text\", not in the inductance box"
say "the activation at start put the focus into the diameter box; the one after the message box left it"
stop_program
say "PASSED"
