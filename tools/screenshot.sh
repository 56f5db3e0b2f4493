#!/usr/bin/env bash
# Starts the program on its own Xvfb display and writes a PNG of its window.
#   tools/screenshot.sh PROGRAM OUTPUT.png
set -euo pipefail
program=$1
output=$2

display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill "$app" "$xvfb" 2>/dev/null || true' EXIT
export DISPLAY=$display
for _ in $(seq 50); do
    xdpyinfo >/dev/null 2>&1 && break
    sleep 0.1
done

QT_QPA_PLATFORM=xcb "$program" &
app=$!
window=$(xdotool search --sync --onlyvisible --name '^Berekenen van luchtspoeltjes$' | head -n 1)
sleep 1 # let the first paint finish
import -window "$window" "$output"
echo "screenshot: $output"
