#!/usr/bin/env bash
# End to end: what a real X11 keyboard types into the program's boxes.
#
#   keyboard_test.sh PROGRAM
#
# Starts an Xvfb server of its own with the US-International layout (dead
# keys on ' " ` ~ ^, AltGr characters on the third level) and Compose on the
# Menu key, then the program on it with Qt's compose input context, and types
# with xdotool. The keys reach the program as X11 key events and go through
# Qt's own keyboard and compose code, which synthetic events in the window
# tests never do: dead keys and Compose sequences arrive as input-method
# commits, AltGr characters as key presses with the group-switch modifier.
#
# Typed into the diameter box: dead-key letters, Compose sequences (one of
# them, 1 2 -> 1/2, made of digits), AltGr characters, Alt with digits and the
# point, and the control-character chords Ctrl+Enter, Ctrl+Backspace,
# Ctrl+[, Ctrl+], Ctrl+\, Ctrl+2, Ctrl+6 and Ctrl+-, between a 1 and a 0: the
# box must hold 10, so nothing got in, nothing was deleted and the focus
# stayed. Then 1 and 1 into the other entries by the Enter ring, and Alt+B
# followed at once by 5: the calculation has to read 10 (10, 13.8, 13.6) and
# the 5 has to land after it (105). Then the same keys in the turns box, which
# must keep 13.6. Alt+S, followed at once by keys that would beep, has to end
# the program with exit status 0.
#
# Beeps are counted too: every refused character beeps once, an Alt chord
# never, and nothing beeps after Alt+S. The program beeps through the X
# server's bell; xkbevd (from x11-xkb-utils) writes a line for each bell the
# server rings. A bell of its own name, rung with xkbbell and waited for,
# marks the point up to which every earlier bell has been written.
#
# Reading a box back: the box is clicked and its text selected with Home,
# Shift+End. On X11 a Qt line edit offers the text it selects as the PRIMARY
# selection, which xclip reads; the program needs no hook for the test.
# Before each reading xclip itself holds PRIMARY with a marker, so a reading
# is the box's text only once the program has taken PRIMARY over. Every box
# read is expected to hold some text.
#
# Everything it starts is stopped on exit, also when a step fails. On failure
# it prints what it knows (window list, screenshot, the program's log) and
# keeps the temporary directory.
#
# Environment: KOLVART_E2E_KEEP=1 keeps the temporary directory after a pass.
set -Eeuo pipefail
export LC_ALL=C

readonly wait_seconds=30             # for a window, a focus change, a reading
readonly deadline=$((SECONDS + 110)) # stays below the CTest timeout

e2e_name=keyboard
. "$(dirname "${BASH_SOURCE[0]}")/e2e_lib.sh"

take_program "$@"
require_tools Xvfb:xvfb setxkbmap:x11-xkb-utils xkbevd:x11-xkb-utils xkbbell:x11-xkb-utils \
    xdotool:xdotool xclip:xclip \
    import:imagemagick setpriv:util-linux timeout:coreutils

make_temp_dir kolvart-keys
# holder_pid: the xclip that holds the marker.
stop_on_exit holder_pid xclip app_pid "the program" evd_pid xkbevd xvfb_pid Xvfb
diagnose_more() {
    if alive "$xvfb_pid"; then
        echo "----- keyboard of ${DISPLAY:-} -----"
        timeout 10 setxkbmap -query 2>&1 || true
    fi
}
diagnose_log "$log_dir/program.log" 40 "the program's output"
diagnose_log "$log_dir/xvfb.log" 40 "Xvfb output"
diagnose_log "$log_dir/xdotool.log" 40 "xdotool errors"
diagnose_log "$log_dir/xkbevd.log" 40 "xkbevd output"

# ---------------------------------------------------------------- Xvfb ----
start_xvfb 1024x768x24

step="setting the keyboard layout"
setxkbmap -layout us -variant intl -option compose:menu
layout=$(setxkbmap -query)
[[ $layout == *"variant:    intl"* && $layout == *"compose:menu"* ]] ||
    fail "the layout did not take: $layout"
say "Xvfb runs on $DISPLAY with the layout us, variant intl, Compose on Menu"

step="starting the bell counter"
bells_file="$tmp/bells"
: >"$bells_file"
for name in start sync; do
    printf 'Bell(kolvart%s) shell "echo %s >> %s"\n' "$name" "$name" "$bells_file"
done >"$tmp/xkbevd.cf"
printf 'Bell() shell "echo bell >> %s"\n' "$bells_file" >>"$tmp/xkbevd.cf"
# xkbevd looks the bells' names up when it reads its configuration: the names
# have to exist on the server by then. These first bells only make them exist.
xkbbell kolvartstart
xkbbell kolvartsync
setpriv --pdeathsig TERM -- xkbevd -cfg "$tmp/xkbevd.cf" >"$log_dir/xkbevd.log" 2>&1 &
evd_pid=$!
count_lines() { grep -c "^$1\$" "$bells_file" || true; }
synced() {
    alive "$evd_pid" || fail "xkbevd ended"
    [ "$(count_lines sync)" -gt "$1" ]
}
# Waits until every bell rung so far is written down.
sync_bells() {
    local before
    before=$(count_lines sync)
    xkbbell kolvartsync
    wait_until "$wait_seconds" "xkbevd to report the bell kolvartsync" synced "$before"
}
# A bell rung before xkbevd listens goes unheard: ring until one is heard.
# Once xkbevd writes, it has also rung whatever it rings as it starts.
started() {
    alive "$evd_pid" || fail "xkbevd ended"
    [ "$(count_lines start)" -gt 0 ] && return 0
    xkbbell kolvartstart
    sleep 0.5
    return 1
}
wait_until "$wait_seconds" "xkbevd to start listening" started
sync_bells
bells_seen=$(count_lines bell)
# Checks the number of beeps since the last check.
expect_beeps() { # count why
    sync_bells
    local now
    now=$(count_lines bell)
    [ $((now - bells_seen)) -eq "$1" ] || fail "$((now - bells_seen)) beeps, not $1: $2"
    bells_seen=$now
    say "$1 beeps: $2"
}

# -------------------------------------------------------------- program ----
step="starting the program"
export HOME="$tmp/home"
export XDG_RUNTIME_DIR="$tmp/runtime"
# Qt's own compose input context, whatever the desktop around the test uses;
# no session bus (see the print test).
DBUS_SESSION_BUS_ADDRESS="unix:path=$tmp/no-session-bus" QT_IM_MODULE=compose \
    QT_QPA_PLATFORM=xcb LANG=C.UTF-8 LC_ALL=C.UTF-8 \
    setpriv --pdeathsig TERM -- "$program" >"$log_dir/program.log" 2>&1 &
app_pid=$!

main_found() {
    program_running
    main=$(timeout 10 xdotool search --onlyvisible --name '^Berekenen van luchtspoeltjes' \
        2>>"$log_dir/xdotool.log" || true)
    [ -n "$main" ] && [ "$(wc -l <<<"$main")" -eq 1 ]
}
main=
wait_until "$wait_seconds" "the main window to appear" main_found

focus_main() {
    limit "$wait_seconds"
    timeout "$lim" xdotool windowfocus --sync "$main" >/dev/null 2>>"$log_dir/xdotool.log" ||
        fail "could not give the focus to the main window"
}
focus_main

# Types keys (xdotool key names) into the program and checks it still runs.
keys() {
    program_running
    xdotool key --delay 30 "$@"
}

# The centre of a box in window pixels, from its place in twips (15 twips to
# a pixel): x and y.
box_centre() { # box
    local frame_top row_top
    case $1 in
    txtSpD | txtDD | txtZI) frame_top=600 ;;
    *) frame_top=2280 ;;
    esac
    case $1 in
    txtSpD | txtSpD2) row_top=360 ;;
    txtDD | txtSpL) row_top=720 ;;
    *) row_top=1080 ;;
    esac
    x=$(((120 + 3480 + 1335 / 2) / 15))
    y=$(((frame_top + row_top + 285 / 2) / 15))
}

click_box() { # box
    box_centre "$1"
    program_running
    xdotool mousemove --window "$main" "$x" "$y" click 1
}

primary() { timeout 10 xclip -o -selection primary 2>/dev/null || true; }
primary_is() { [ "$(primary)" = "$1" ]; }
primary_is_not() { program_running && [ "$(primary)" != "$1" ]; }

# Reads the text of a box (see the top of this file). Leaves the caret at the
# end of the box, with nothing selected.
read_box() { # variable box
    local marker="kolvart-unread-$RANDOM$RANDOM"
    printf '%s' "$marker" | setpriv --pdeathsig TERM -- xclip -quiet -selection primary -i \
        >/dev/null 2>&1 &
    holder_pid=$!
    wait_until "$wait_seconds" "xclip to hold the PRIMARY selection" primary_is "$marker"
    click_box "$2"
    keys Home shift+End
    wait_until "$wait_seconds" "the program to offer the text of $2" primary_is_not "$marker"
    printf -v "$1" '%s' "$(primary)"
    keys End
    stop_process "$holder_pid" "xclip"
    holder_pid=
}

expect_box() { # box expected why
    local value
    read_box value "$1"
    [ "$value" = "$2" ] || fail "$1 holds \"$value\", not \"$2\": $3"
    say "$1 holds \"$2\": $3"
}

# Everything that must not reach a box: dead-key letters, Compose sequences,
# AltGr characters, Alt chords that are no access key, control-character chords.
refused=(dead_acute e dead_diaeresis u dead_grave a dead_tilde n dead_circumflex o
    Multi_key 1 2 Multi_key o c
    ISO_Level3_Shift+e ISO_Level3_Shift+2 ISO_Level3_Shift+5
    alt+1 alt+period alt+e
    ctrl+Return ctrl+KP_Enter ctrl+BackSpace ctrl+bracketleft ctrl+bracketright
    ctrl+backslash ctrl+2 ctrl+6 ctrl+minus)

# --------------------------------------------------------------- typing ----
step="typing into the diameter box"
# The window's activation put the focus into the diameter box.
# The characters among them: five dead-key letters, two Compose results,
# three AltGr characters and nine control characters; Alt chords are none.
refused_characters=19
keys 1 "${refused[@]}" 0
expect_box txtSpD 10 "composed, AltGr, Alt and Ctrl characters refused, focus kept, nothing deleted"
expect_beeps "$refused_characters" "one for each refused character"

step="the access key followed at once by a digit"
# The reading left the caret at the end of the diameter box; Enter walks the ring.
keys Return 1 Return 1 Return
keys alt+b 5
expect_box txtSpD2 10 "Bereken read the diameter before the 5"
expect_box txtSpL 13.8 "Bereken read the diameter before the 5"
expect_box txtAW 13.6 "Bereken read the diameter before the 5"
expect_box txtSpD 105 "the 5 came after the calculation"
expect_box txtDD 1 "the wire as typed"
expect_box txtZI 1 "the inductance as typed"
expect_beeps 0 "digits, Enter and an access key"

step="typing into the turns box"
click_box txtAW
keys "${refused[@]}" 1 period BackSpace
expect_box txtAW 13.6 "a result box refuses every character"
expect_beeps $((refused_characters + 3)) "one for each character"

# ----------------------------------------------------------------- stop ----
step="stopping the program"
focus_main
# Keys typed right after Alt+S are still on their way when Stop ends the
# program: none may beep.
keys alt+s a b Return
expect_program_end "Alt+S"
say "the program ended by itself after \"Stoppen\""
expect_beeps 0 "keys after Stop"
say "PASSED"
