#!/usr/bin/env bash
# End to end: the program on a Wayland compositor.
#
#   wayland_test.sh PROGRAM
#
# Starts, as an ordinary user (sway refuses to run as root; run as root, the
# test makes the system user kolvart-e2e for it once and keeps it, so that
# runs side by side share it), a
# session bus, PulseAudio with a null sink, a headless sway without XWayland,
# and the program on it with no DISPLAY: Qt has to choose its Wayland platform
# by itself.
#
# Keys come from wtype through the compositor's virtual keyboard. Every wtype
# call makes a new keyboard, and the key that comes first while the program
# reads the new keymap can be lost, so each call starts with a Shift tap.
# Which window has the keyboard is read from sway (swaymsg), and a key is sent
# to a box or a message box only once sway has given it the focus.
#
# The boxes and the message box are read through the accessibility bus
# (atspi_read.py); the program needs no hook for it. Every read runs under a
# timeout, as a call on that bus can hang.
#
# Beeps: on Wayland the program plays the sound theme's bell through the sound
# server. Each sound is a new sink input on PulseAudio, which "pactl
# subscribe" reports; an expected count has to be reached and then stay.
#
# The cases:
# - the typical road 10, 1, 1 with the Enter ring and Alt+B;
# - letters, the comma, e acute and the euro sign refused, one bell each, and
#   no more than one bell playing after the burst;
# - Alt+digit (nothing typed, no bell) and Ctrl+Backspace (nothing deleted,
#   one bell);
# - a fault box, closed, after which the focus is still in the box it was in
#   (the activation handler ran once);
# - the print dialog opened with Alt+A and cancelled, the focus again staying;
# - Alt+S: with no print queue it says that the block was not sent, then the
#   program ends with status 0;
# - started as GNOME starts programs (Xvfb standing in for XWayland), the
#   window opens on X11, where GNOME offers no maximize for a window of fixed
#   size, and GTK, loaded with Qt's GTK platform theme, lists no second
#   program on the accessibility bus;
# - last, the program started with WAYLAND_DISPLAY naming no compositor has to
#   end at once with status 1 and one line naming WAYLAND_DISPLAY.
#
# Environment: KOLVART_E2E_KEEP=1 keeps the temporary directory after a pass.
set -Eeuo pipefail
export LC_ALL=C

readonly wait_seconds=30             # for a window, a focus change, a reading
readonly deadline=$((SECONDS + 170)) # stays below the CTest timeout
readonly settle=0.5                  # how long a count of beeps has to stay
readonly title="Berekenen van luchtspoeltjes"
readonly box_title="Kolvart"  # message boxes carry the program's name
readonly print_title="Print" # Qt's print dialog, in English under C.UTF-8
readonly test_user=kolvart-e2e

e2e_name=wayland
. "$(dirname "${BASH_SOURCE[0]}")/e2e_lib.sh"
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

take_program "$@"
# Debian's own Python: the user runs it, and the bindings are its.
/usr/bin/python3 -c 'import gi; gi.require_version("Atspi", "2.0")' 2>/dev/null ||
    missing+=("Python's AT-SPI bindings (packages python3, python3-gi, gir1.2-atspi-2.0)")
[ -x /usr/libexec/at-spi-bus-launcher ] || missing+=("at-spi-bus-launcher (package at-spi2-core)")
# sway's keymap goes there, written as the user.
[ -n "$(find /dev/shm -maxdepth 0 -perm -o+w 2>/dev/null)" ] ||
    missing+=("a /dev/shm that everyone may write (tmpfs, mode 1777)")
require_tools sway:sway swaymsg:sway wtype:wtype pulseaudio:pulseaudio pactl:pulseaudio-utils \
    dbus-daemon:dbus dbus-send:dbus stdbuf:coreutils setpriv:util-linux flock:util-linux \
    timeout:coreutils Xvfb:xvfb xdotool:xdotool
[ -n "$(find /usr/lib/*/qt6/plugins/platformthemes -name 'libqgtk3.so' 2>/dev/null)" ] ||
    missing+=("Qt's GTK platform theme (package qt6-gtk-platformtheme)")

make_temp_dir kolvart-wayland
stop_on_exit app_pid "the program" sway_pid sway pactl_pid "pactl subscribe" \
    pulse_pid PulseAudio bus_pid "the session bus" xvfb_pid Xvfb
diagnose_more() {
    if [ -n "$sway_pid" ] && alive "$sway_pid"; then
        echo "----- windows on sway (id, focused, name) -----"
        sway_windows 2>&1 || true
    fi
    echo "----- the program's windows on the accessibility bus -----"
    as_user timeout 10 python3 "$tmp/atspi_read.py" Kolvart 2>&1 || true
}
diagnose_log "$log_dir/program.log" 40 "the program's output"
diagnose_log "$log_dir/sway.log" 40 "sway output"
diagnose_log "$log_dir/pulse.log" 20 "PulseAudio output"
diagnose_log "$log_dir/pactl.log" 20 "PulseAudio events"
diagnose_log "$log_dir/bus.log" 20 "session bus output"

# ------------------------------------------------------------ the user ----
step="making the user"
if [ "$(id -u)" -eq 0 ]; then
    # Under a lock: a run beside this one may be making it at the same moment.
    # shellcheck disable=SC2016 # $1 is for the inner shell
    flock /run/lock/kolvart-e2e-user.lock sh -c \
        'id "$1" >/dev/null 2>&1 || useradd --system --no-create-home --home-dir /nonexistent \
            --shell /usr/sbin/nologin "$1"' sh "$test_user" >"$log_dir/useradd.log" 2>&1 ||
        fail "could not make the user $test_user: $(cat "$log_dir/useradd.log")"
    uid=$(id -u "$test_user")
    gid=$(id -g "$test_user")
else
    uid=$(id -u)
    gid=$(id -g)
fi
runtime="$tmp/runtime"
chmod 711 "$tmp"
chown "$uid:$gid" "$runtime" "$tmp/home"
# The user cannot be relied on to reach the build or the source tree.
install -m 755 "$program" "$tmp/kolvart"
install -m 644 "$here/atspi_read.py" "$tmp/atspi_read.py"
cat >"$tmp/sway.conf" <<'EOF'
xwayland disable
output HEADLESS-1 resolution 1024x768
EOF
chmod 644 "$tmp/sway.conf"

# Runs a command as the user, in the session's environment only.
as_user() {
    local become=()
    if [ "$(id -u)" -eq 0 ]; then
        become=(setpriv --reuid="$uid" --regid="$gid" --clear-groups)
    fi
    "${become[@]}" env -i PATH=/usr/bin:/bin HOME="$tmp/home" LANG=C.UTF-8 \
        XDG_RUNTIME_DIR="$runtime" DBUS_SESSION_BUS_ADDRESS="unix:path=$runtime/bus" \
        ${WAYLAND_DISPLAY:+WAYLAND_DISPLAY="$WAYLAND_DISPLAY"} ${SWAYSOCK:+SWAYSOCK="$SWAYSOCK"} \
        ${ASAN_OPTIONS:+ASAN_OPTIONS="$ASAN_OPTIONS"} ${LSAN_OPTIONS:+LSAN_OPTIONS="$LSAN_OPTIONS"} \
        ${UBSAN_OPTIONS:+UBSAN_OPTIONS="$UBSAN_OPTIONS"} "$@"
}

# ------------------------------------------------------- session bus ----
step="starting the session bus"
as_user setpriv --pdeathsig TERM -- dbus-daemon --session --nofork \
    --address="unix:path=$runtime/bus" >"$log_dir/bus.log" 2>&1 &
bus_pid=$!
bus_ready() {
    alive "$bus_pid" || fail "the session bus ended at start-up"
    as_user dbus-send --session --dest=org.freedesktop.DBus --type=method_call \
        --print-reply / org.freedesktop.DBus.GetId >/dev/null 2>&1
}
wait_until "$wait_seconds" "the session bus" bus_ready

# The accessibility bus, started through the session bus as a desktop does;
# the program finds it there.
step="starting the accessibility bus"
a11y_ready() {
    as_user timeout 10 dbus-send --session --dest=org.a11y.Bus --type=method_call \
        --print-reply /org/a11y/bus org.a11y.Bus.GetAddress >/dev/null 2>&1
}
wait_until "$wait_seconds" "the accessibility bus" a11y_ready

# -------------------------------------------------------- PulseAudio ----
step="starting PulseAudio"
as_user setpriv --pdeathsig TERM -- pulseaudio -n --daemonize=no --exit-idle-time=-1 \
    --log-target=stderr -L module-native-protocol-unix -L "module-null-sink sink_name=bell" \
    >"$log_dir/pulse.log" 2>&1 &
pulse_pid=$!
pulse_ready() {
    alive "$pulse_pid" || fail "PulseAudio ended at start-up"
    as_user timeout 10 pactl info >/dev/null 2>&1
}
wait_until "$wait_seconds" "PulseAudio" pulse_ready
as_user setpriv --pdeathsig TERM -- stdbuf -oL pactl subscribe >"$log_dir/pactl.log" 2>&1 &
# shellcheck disable=SC2034 # cleanup stops it
pactl_pid=$!
sleep 0.2 # pactl subscribes before the first sound

# --------------------------------------------------------------- sway ----
step="starting sway"
as_user setpriv --pdeathsig TERM -- env WLR_BACKENDS=headless WLR_RENDERER=pixman \
    WLR_LIBINPUT_NO_DEVICES=1 sway --config "$tmp/sway.conf" >"$log_dir/sway.log" 2>&1 &
sway_pid=$!
sway_ready() {
    alive "$sway_pid" || fail "sway ended at start-up"
    local socket ipc
    socket=$(find "$runtime" -maxdepth 1 -name 'wayland-[0-9]*' -type s -printf '%f\n' | head -n 1)
    ipc=$(find "$runtime" -maxdepth 1 -name 'sway-ipc.*.sock' -type s | head -n 1)
    [ -n "$socket" ] && [ -n "$ipc" ] || return 1
    WAYLAND_DISPLAY=$socket SWAYSOCK=$ipc
    as_user timeout 10 swaymsg -t get_version >/dev/null 2>&1
}
wait_until "$wait_seconds" "sway" sway_ready
export WAYLAND_DISPLAY SWAYSOCK
say "sway runs on $WAYLAND_DISPLAY as user $uid"

# The windows on sway, one line each: id, focused (1 or 0), shell, name.
sway_windows() {
    as_user timeout 10 swaymsg -t get_tree -r | /usr/bin/python3 -c '
import json, sys
def walk(node):
    if node.get("pid"):
        print(node["id"], int(node.get("focused", False)), node.get("shell"), node.get("name"),
              sep="\t")
    for child in node.get("nodes", []) + node.get("floating_nodes", []):
        walk(child)
walk(json.load(sys.stdin))'
}

# Succeeds when the window with that name has the keyboard focus.
focused_is() { # name
    program_running
    sway_windows >"$tmp/windows" 2>>"$log_dir/swaymsg.log" || return 1
    awk -F'\t' -v name="$1" '$2 == 1 && $4 == name { found = 1 } END { exit !found }' \
        "$tmp/windows"
}
expect_focus() { # name
    wait_until "$wait_seconds" "the window \"$1\" to have the keyboard" focused_is "$1"
}

# ------------------------------------------------------------- beeps ----
beeps_seen=0
beep_count() { grep -c "Event 'new' on sink-input" "$log_dir/pactl.log" || true; }
beeps_reach() { [ "$(beep_count)" -ge "$1" ]; }
# Expects that many new beeps since the last check, and no more.
expect_beeps() { # count what
    local want=$((beeps_seen + $1)) now
    wait_until "$wait_seconds" "$1 beep(s) after $2" beeps_reach "$want"
    sleep "$settle"
    now=$(beep_count)
    [ "$now" -eq "$want" ] || fail "$((now - beeps_seen)) beeps after $2, expected $1"
    beeps_seen=$now
}

# ------------------------------------------------------------- reading ----
# Reads every text of the program's windows into $tmp/read.
read_windows() {
    program_running
    as_user timeout 10 python3 "$tmp/atspi_read.py" Kolvart >"$tmp/read" 2>>"$log_dir/atspi.log"
}
# The six boxes as "diameter|wire|inductance|diameter|length|turns".
boxes_now() {
    awk -F'\t' -v title="$title" '
        $1 == title && $2 == "text" { text[$3] = $4 }
        END {
            printf "%s|%s|%s|%s|%s|%s\n", text["Spoel diameter in mm"], text["Draaddikte in mm"],
                text["Zelfinductie in uH  (min. 0.001)"], text["Spoel diameter in mm (gecorr.)"],
                text["Spoel lengte (wikkelruimte) in mm"], text["Aantal windingen"]
        }' "$tmp/read"
}
boxes_are() { read_windows && [ "$(boxes_now)" = "$1" ]; }
# On failure the diagnostics show what the boxes hold.
expect_boxes() { # expected what
    wait_until "$wait_seconds" "the boxes to read \"$1\" after $2" boxes_are "$1"
}

# Waits for a text (a regular expression) in one of the program's windows.
text_shown() { read_windows && grep -q -- "$1" "$tmp/read"; }
expect_text() { # regex what
    wait_until "$wait_seconds" "$2 to show \"$1\"" text_shown "$1"
}

# Types with wtype: the arguments are wtype's. Each call makes a new virtual
# keyboard, and the program has to read its keymap before the first key: the
# Shift tap makes the keyboard the seat's, and the pause gives the program
# the time. Without the pause one key alone was lost 3 times in 10, and
# without both every time.
keys() {
    program_running
    as_user wtype -M shift -m shift -s 100 "$@"
}

# ------------------------------------------------------------ program ----
# Built with AddressSanitizer, the program is checked here for every fault
# but leaks: at exit LeakSanitizer finds blocks of libwayland-client and of
# the Mesa driver that EGL loads and unloads again while Qt starts, the
# latter in a library no longer there to be named in a suppression. The
# program's own leaks are looked for by the window and unit tests.
#
# CUPS_SERVER names a print service that is not there, so that the program
# sees no print queue on any machine and the print dialog never reaches a
# real printer.
step="starting the program"
as_user setpriv --pdeathsig TERM -- env XDG_SESSION_TYPE=wayland CUPS_SERVER="$runtime/no-cups" \
    QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0" \
    "$tmp/kolvart" >"$log_dir/program.log" 2>&1 &
app_pid=$!
expect_focus "$title"
shell=$(awk -F'\t' -v name="$title" '$4 == name { print $3 }' "$tmp/windows")
[ "$shell" = xdg_shell ] || fail "the window is not a Wayland window: shell \"$shell\""
expect_boxes "|||||" "the start"
say "the window is on Wayland and has the keyboard"

# ------------------------------------------------------- the typical road ----
step="typing the typical road"
# The activation at start put the focus into the diameter box; Enter walks
# the entries and comes round again.
keys 10 -k Return 1 -k Return 1 -k Return 5
expect_boxes "105|1|1|||" "10, Enter, 1, Enter, 1, Enter, 5"
keys -k BackSpace -M alt b -m alt
expect_boxes "10|1|1|10|13.8|13.6" "Alt+B"
expect_beeps 0 "the typical road"
say "10, 1, 1 with Alt+B gives 10 / 13.8 / 13.6"

step="typing refused characters"
keys 'ab,é€'
expect_beeps 5 "a, b, the comma, e acute and the euro sign"
# Each bell ends the one before: a burst leaves one sound playing at most.
playing=$(($(beep_count) - $(grep -c "Event 'remove' on sink-input" "$log_dir/pactl.log" || true)))
[ "$playing" -le 1 ] || fail "$playing bells play at once after a burst of five"
keys -M alt 7 -m alt
keys -M ctrl -k BackSpace -m ctrl
expect_beeps 1 "Alt+7 and Ctrl+Backspace"
# Calculating put the focus back into the diameter box, and it is still there.
keys 5
expect_boxes "105|1|1|10|13.8|13.6" "the refused keys and 5"
keys -k BackSpace
expect_beeps 0 "5 and Backspace"
say "refused characters beep once each, Alt+7 is silent and Ctrl+Backspace deletes nothing"

# ------------------------------------------------------------ fault box ----
step="calculating a fault"
keys -k BackSpace -k BackSpace 0.2 -k Return -k Return -M alt b -m alt
expect_focus "$box_title"
expect_text "Rekenfout: Deling door nul\." "the fault box"
keys -k Return
expect_focus "$title"
# The box closing activates the window again; the focus stays in the
# inductance box, where it was.
keys 5
expect_boxes "0.2|1|15|10|13.8|13.6" "the fault box closed and 5"
expect_beeps 0 "the fault box"
say "the fault box is shown and closed, and the focus stayed where it was"

# -------------------------------------------------------- print dialog ----
step="opening the print dialog"
keys -M alt a -m alt
expect_focus "$print_title"
keys -k Escape
expect_focus "$title"
keys 5
expect_boxes "0.2|1|155|10|13.8|13.6" "the print dialog cancelled and 5"
expect_beeps 0 "the print dialog"
say "the print dialog opens and cancels, and the focus stayed where it was"

# ------------------------------------------------------------ stopping ----
# Cancelling the dialog printed on the printer as it was, and with no print
# queue there is none: Stop says that nothing was sent before the program
# ends.
step="stopping the program"
keys -M alt s -m alt
expect_focus "$box_title"
expect_text "Er is geen printer gekozen: de afdruk is niet verstuurd\." "the box at Stop"
keys -k Return
expect_program_end "Alt+S and the box closed"
expect_beeps 0 "Alt+S"
say "Alt+S said that nothing was sent to a printer and ended the program with status 0"

# --------------------------------------------------------------- GNOME ----
start_xvfb 1024x768x24
step="starting the program as GNOME does"
as_user setpriv --pdeathsig TERM -- env XDG_SESSION_TYPE=wayland XDG_CURRENT_DESKTOP=GNOME \
    DISPLAY="$DISPLAY" CUPS_SERVER="$runtime/no-cups" QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 \
    ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0" \
    "$tmp/kolvart" >"$log_dir/program.log" 2>&1 &
app_pid=$!
wait_until "$wait_seconds" "the window on X11" window_found "^$title\$"
expect_boxes "|||||" "the start on X11"
stop_process "$app_pid" "the program"
app_pid=
say "as on GNOME, the window opens on X11, listed once on the accessibility bus"

# ------------------------------------------------- no compositor there ----
step="starting the program on a WAYLAND_DISPLAY with no compositor"
status=0
WAYLAND_DISPLAY=wayland-none as_user env XDG_SESSION_TYPE=wayland "$tmp/kolvart" \
    >"$log_dir/none.out" 2>"$log_dir/none.err" </dev/null || status=$?
[ "$status" -eq 1 ] || fail "exit status $status, expected 1; $(cat "$log_dir/none.err")"
lines=$(wc -l <"$log_dir/none.err")
if [ "$lines" -ne 1 ] || ! grep -q WAYLAND_DISPLAY "$log_dir/none.err"; then
    fail "expected one line naming WAYLAND_DISPLAY, got: $(cat "$log_dir/none.err")"
fi
say "WAYLAND_DISPLAY naming no compositor: status 1, \"$(cat "$log_dir/none.err")\""

step="done"
say "passed"
