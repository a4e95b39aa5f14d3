#!/bin/sh
# Installs the Debian packages the build, the tests, the fuzzers and the samples need,
# when missing.
set -eu

packages="g++ cmake ninja-build pkg-config libfreetype-dev libfontconfig-dev libpng-dev zlib1g-dev
libcairo2-dev fonts-liberation libgtest-dev zbar-tools python3-zxing-cpp poppler-utils
ghostscript clang-14 libclang-rt-14-dev"

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
