#!/usr/bin/env bash
# Takes the README's screenshots from the real program: it starts it on the
# sample artwork under Xvfb, presses the buttons in the README's order with
# xdotool and crops each window from the screen. Not part of the tests.
#
#   docs/screenshots/make.sh        build, run, write the PNGs beside this script
#
# Needs xvfb, xdotool and imagemagick (apt-get install xvfb xdotool imagemagick).
# Button places are found from the bar's width; they fit the fonts of a plain
# Debian machine (DejaVu). Each step checks what it should have done and stops
# with a message when it did not.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
build=${BUILD_DIR:-$root/build}

for tool in Xvfb xdotool import convert; do
    command -v "$tool" >/dev/null || { echo "make.sh: $tool is missing" >&2; exit 1; }
done

cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
nice cmake --build "$build" -j3 --target VemoCommonPlugin LaunchLater >/dev/null

work=$(mktemp -d)
xvfb=""
app=""
cleanup() {
    [ -n "$app" ] && kill "$app" 2>/dev/null || true
    [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

n=90
while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
Xvfb ":$n" -screen 0 1500x1200x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
xvfb=$!
export DISPLAY=":$n"
for _ in $(seq 50); do xdotool getdisplaygeometry >/dev/null 2>&1 && break; sleep 0.1; done

# The program's own work folder and cutter transcript, away from the user's.
export VEMO_PUBLIC_DOCUMENTS="$work/documents"
export VEMO_SIMHOST_DOCUMENT="$root/platform/simhost/samples/artwork.json"
export VEMO_USB_TRANSCRIPT="$work/usb.log"
mkdir -p "$VEMO_PUBLIC_DOCUMENTS"
: >"$VEMO_USB_TRANSCRIPT"
"$build/app/VemoCommonPlugin" >"$work/app.log" 2>&1 &
app=$!

fail() {
    echo "make.sh: $*" >&2
    echo "--- program output" >&2
    cat "$work/app.log" >&2
    exit 1
}

# window id by exact title, once it is on the screen
window() {
    local id
    for _ in $(seq 100); do
        id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -1 || true)
        [ -n "$id" ] && { echo "$id"; return; }
        sleep 0.1
    done
    fail "no window \"$1\""
}

geometry() { # id -> X Y WIDTH HEIGHT
    local X Y WIDTH HEIGHT WINDOW SCREEN
    eval "$(xdotool getwindowgeometry --shell "$1")"
    echo "$X $Y $WIDTH $HEIGHT"
}

click() { # id dx dy: a click at that place inside the window
    local x y w h
    read -r x y w h < <(geometry "$1")
    xdotool mousemove $((x + $2)) $((y + $3)) click 1
    sleep 0.5
}

# Bar buttons, left to right: marks, outline, print, cut, save, QR, about,
# settings. Their centres, in thousandths of the folded bar's width: they stay
# there while the panel is open, though the window may widen round them.
bar_click() {
    local at
    case "$1" in
    marks) at=66 ;; outline) at=172 ;; cut) at=382 ;; save) at=490 ;;
    qr) at=594 ;; settings) at=806 ;;
    esac
    xdotool mousemove $((bar_x + bar_w * at / 1000)) $((bar_y + 26)) click 1
    sleep 1
}

shot() { # id file: the window as it shows on the screen
    local x y w h
    read -r x y w h < <(geometry "$1")
    sleep 0.5
    import -window root -crop "${w}x${h}+${x}+${y}" +repage "$work/shot.png"
    convert "$work/shot.png" -strip -colors 128 "PNG8:$here/$2"
    echo "wrote docs/screenshots/$2 (${w}x${h})"
}

# Until the cutter has taken job number $2 (a text with the "MD0,0," header)
# and answered "FREE;" after it, at most $1 seconds.
wait_job() {
    local at
    for _ in $(seq $(($1 * 10))); do
        at=$(grep -n -- '> MD0,0,' "$VEMO_USB_TRANSCRIPT" | sed -n "${2}p" | cut -d: -f1 || true)
        [ -n "$at" ] && tail -n +"$at" "$VEMO_USB_TRANSCRIPT" | grep -q ' < FREE;' && return
        sleep 0.1
    done
    fail "job $2 never reached the cutter or never ended"
}

bar=$(window Vemo)
read -r bar_x bar_y bar_w _ < <(geometry "$bar")
host=$(window "Simulated host")
cutter=$(window "Emulated cutter - .*")

# 1. The settings panel; contour as the outline action (third entry).
bar_click settings
click "$bar" 70 60
xdotool key Down Down Return
sleep 0.5
shot "$bar" bar-panel.png

# 2. Registration marks, then the contour on the cutting layer.
bar_click marks
bar_click outline
shot "$host" host-marks.png

# 3. The cut button opens the send window with the preview.
bar_click cut
send=$(window "Send to device")
shot "$send" send-preview.png

# 4. Send: paper check, feed, move to the first mark, the job.
click "$send" 255 597
wait_job 60 1
sleep 1
shot "$cutter" cutter-after-send.png

# 5. The QR road: the send window aside (as a user would drag it), the QR
# label on, marks again, Save File files the job under the label's number,
# and the QR window cuts the sheet whose code the cutter reads.
read -r sx _ _ _ < <(geometry "$send")
xdotool windowmove "$send" "$sx" 560
click "$bar" 21 397
bar_click marks
bar_click save
job=$(ls "$VEMO_PUBLIC_DOCUMENTS/VemoCommonPlugin/QR Jobs/" | head -1)
[ -n "$job" ] || fail "Save File filed no QR job"
bar_click qr
qrwin=$(window "QR Code Controller")
click "$qrwin" 186 102
window "Please Select A File to Get the Size" >/dev/null
xdotool type --delay 20 "$VEMO_PUBLIC_DOCUMENTS/VemoCommonPlugin/QR Jobs/$job"
xdotool key Return
sleep 1
click "$qrwin" 186 245
wait_job 60 2
sleep 1
shot "$qrwin" qr-window.png
