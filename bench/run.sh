#!/bin/sh
# Benchmark against Zint: builds the project optimised with the benchmark program, then
# runs Zint and this project side by side and prints a Markdown table.
#
#   bench/run.sh [--repetitions N] [--symbols N] [--memory-symbols N]
#
# Zint (Debian's zint and libzint-dev) is installed here when missing, with apt-get (as
# root or through sudo); the library never depends on it. Environment: BUILD_DIR (default
# build-bench beside bench/), WORK_DIR (default a fresh temporary folder, for the files
# the runs write).
set -eu

root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build-bench}

if ! command -v zint >/dev/null 2>&1 || [ ! -f /usr/include/zint.h ]; then
    echo "Installing Zint for the benchmark (zint, libzint-dev)..." >&2
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo=sudo
    $sudo apt-get update -q >&2
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q zint libzint-dev >&2
fi

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DZAN_BUILD_BENCH=ON -DZAN_BUILD_TESTS=OFF \
    >/dev/null
cmake --build "$build" --target zan_bench zanbarcode >&2

work=${WORK_DIR:-}
if [ -z "$work" ]; then
    work=$(mktemp -d)
    trap 'rm -rf "$work"' EXIT
fi

echo "Machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //');" \
    "Zint $(zint --version 2>/dev/null | head -n1 | sed 's/^[^0-9]*//')"
echo
"$build/bench/zan_bench" --zint "$(command -v zint)" --zanbarcode "$build/cli/zanbarcode" --work "$work" "$@"
