#!/bin/sh
# Installs the Debian packages the build, the tests, the fuzzers and the samples need,
# when missing. Qt 6 brings the widget, the Designer plugin (libqt6opengl6-dev, which
# find_package(Qt6 COMPONENTS Designer) needs, and the private headers of its property
# sheet) and the desktop program; Xvfb, xclip, xdotool and ImageMagick run and capture
# them in the tests and the screenshots.
set -eu

packages="g++ cmake ninja-build pkg-config libfreetype-dev libfontconfig-dev libpng-dev zlib1g-dev
libcairo2-dev fonts-liberation libgtest-dev zbar-tools python3-zxing-cpp poppler-utils
ghostscript clang-14 libclang-rt-14-dev
qt6-base-dev qt6-base-private-dev qt6-tools-dev qt6-tools-dev-tools qt6-tools-private-dev
designer-qt6 libqt6opengl6-dev qt6-qpa-plugins xvfb xauth xclip xdotool imagemagick"

missing=""
for package in $packages; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
        missing="$missing $package"
done

if [ -n "$missing" ]; then
    echo "Installing:$missing"
    apt-get update -qq
    # shellcheck disable=SC2086
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends $missing
fi
