#!/bin/sh
# The desktop program on a display of its own: a caption typed into its field shows as a
# barcode that zbarimg reads in a capture of the window, and Copy puts SVG and PNG on
# the system clipboard together, which another process (xclip) reads while the program
# runs.
#   DesktopTest.sh GUI_PROGRAM WORK_DIR
set -eu
if [ -z "${ZAN_TEST_DISPLAY:-}" ]; then
    exec env ZAN_TEST_DISPLAY=1 xvfb-run -a -s "-screen 0 800x600x24" "$0" "$@"
fi
gui=$1 work=$2
rm -rf "$work" && mkdir -p "$work"
export QT_QPA_PLATFORM=xcb QT_SCALE_FACTOR=1
"$gui" --symbology "Code 128" >"$work/gui.log" 2>&1 &
pid=$!
trap 'kill $pid 2>/dev/null || true' EXIT
window=$(timeout 30 xdotool search --sync --onlyvisible --name ZanBarcode | head -1)
xdotool windowactivate --sync "$window" 2>/dev/null || xdotool windowfocus --sync "$window"
# The caption field has the focus: replace its text as a person would.
xdotool key --window "$window" ctrl+a
xdotool type --delay 20 "TYPED 42"
sleep 1
import -window root "$work/window.png"
read=$(zbarimg -q "$work/window.png" 2>/dev/null || true)
[ "$read" = "CODE-128:TYPED 42" ] || { echo "zbarimg read '$read' in the window"; exit 1; }

xdotool key --window "$window" alt+o  # C&opy
targets=""
for _ in 1 2 3 4 5 6 7 8 9 10; do
    targets=$(xclip -selection clipboard -t TARGETS -o 2>/dev/null || true)
    case "$targets" in *image/svg+xml*) break ;; esac
    sleep 0.5
done
for target in image/svg+xml image/png text/plain; do
    echo "$targets" | grep -qx "$target" || { echo "no $target among: $targets"; exit 1; }
done
xclip -selection clipboard -t image/png -o >"$work/clipboard.png"
read=$(zbarimg -q "$work/clipboard.png" 2>/dev/null || true)
[ "$read" = "CODE-128:TYPED 42" ] || { echo "zbarimg read '$read' in the pasted PNG"; exit 1; }
xclip -selection clipboard -t image/svg+xml -o >"$work/clipboard.svg"
grep -q "<svg" "$work/clipboard.svg" || { echo "the pasted SVG is no SVG"; exit 1; }
[ "$(xclip -selection clipboard -t text/plain -o)" = "TYPED 42" ] || { echo "the pasted text differs"; exit 1; }
echo "1 passed, 0 failed"
