#!/bin/sh
# Makes the README's screenshots under Xvfb: the desktop program (docs/zanbarcode-gui.png)
# and Qt Designer with a barcode form, one barcode selected and the property editor
# showing its "Symbology" group with the symbology drop-down open (docs/designer.png).
#   scripts/screenshots.sh [BUILD_DIR]   (default: build, configured and built as needed)
set -eu
cd "$(dirname "$0")/.."
build=${1:-build}
if [ -z "${ZAN_SCREENSHOT_DISPLAY:-}" ]; then
    scripts/install-dependencies.sh
    cmake -S . -B "$build" -G Ninja >/dev/null
    cmake --build "$build" --target zanbarcode-gui zanbarcode_designer
    # Again, on a display of its own.
    exec env ZAN_SCREENSHOT_DISPLAY=1 xvfb-run -a -s "-screen 0 1280x800x24" "$0" "$build"
fi

export QT_SCALE_FACTOR=1 QT_PLUGIN_PATH="$PWD/$build/designer"
# shoot OUTPUT WIDTH HEIGHT WINDOW-NAME PROGRAM...: starts the program, waits for its
# window, puts it in the top left corner at that size, runs $actions (xdotool input),
# takes the window and ends the program.
shoot() {
    output=$1 width=$2 height=$3 name=$4
    shift 4
    "$@" >/dev/null 2>&1 &
    pid=$!
    window=$(timeout 30 xdotool search --sync --onlyvisible --name "$name" | head -1)
    xdotool windowmove "$window" 0 0 windowsize "$window" "$width" "$height"
    sleep 2
    eval "${actions:-}"
    sleep 1
    import -window root -crop "${width}x${height}+0+0" +repage "$output"
    kill "$pid"
    wait "$pid" 2>/dev/null || true
}

actions="" shoot docs/zanbarcode-gui.png 520 420 ZanBarcode \
    "$build/gui/zanbarcode-gui" --symbology "EAN 13" --caption 590123412345
# Selects the EAN barcode in the object inspector, filters the property editor down to the
# symbology's rows and opens the drop-down of symbology names.
actions='xdotool mousemove 643 168 click 1; sleep 1; xdotool mousemove 793 324 click 1 type ymbology;
    sleep 1; xdotool mousemove 800 409 click 1; sleep 1; xdotool click 1' \
    shoot docs/designer.png 1100 800 Designer \
    "$(qtpaths6 --query QT_INSTALL_BINS)/designer" tests/qt/forms/BarcodeForm.ui
echo "screenshots: docs/zanbarcode-gui.png docs/designer.png"
