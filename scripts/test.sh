#!/bin/sh
# Builds the library with warnings as errors and runs the whole test suite.
# With --sanitize the build goes to build-sanitize/ with AddressSanitizer and
# UndefinedBehaviorSanitizer, and any finding fails the run.
set -eu
cd "$(dirname "$0")/.."
scripts/install-dependencies.sh

build=build
options="-DZAN_WARNINGS_AS_ERRORS=ON"
if [ "${1:-}" = "--sanitize" ]; then
    build=build-sanitize
    options="$options -DZAN_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug"
    export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
    export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
fi

cmake -S . -B "$build" -G Ninja $options
cmake --build "$build"
ctest --test-dir "$build" --output-on-failure -j2
