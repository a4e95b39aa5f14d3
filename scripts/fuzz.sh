#!/bin/sh
# Builds the libFuzzer programs with clang into build-fuzz/ and runs each target for
# SECONDS seconds (default 60), one after the other, from its committed corpus in
# fuzz/corpus/<target>/ and dictionary in fuzz/dict/. Inputs that reach new code are
# kept in build-fuzz/corpus/<target>/, never in the tree; a crash, leak, timeout or
# failed check leaves its input in build-fuzz/findings/ and fails the run.
#   scripts/fuzz.sh [SECONDS] [TARGET...]
set -eu
cd "$(dirname "$0")/.."
seconds=${1:-60}
[ $# -gt 0 ] && shift
targets=${*:-renderer command png formfile}
scripts/install-dependencies.sh

build=build-fuzz
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++-14 \
    -DZAN_BUILD_FUZZERS=ON -DZAN_BUILD_TESTS=OFF -DZAN_BUILD_SHARED=OFF
# shellcheck disable=SC2046
cmake --build "$build" -j2 --target $(for target in $targets; do echo "zan_fuzz_$target"; done)

passed=0
failed=""
for target in $targets; do
    mkdir -p "$build/corpus/$target" "$build/findings"
    echo "== fuzzing $target for $seconds seconds"
    # A single process; -timeout and -rss_limit_mb turn a slow or bloated input into a finding.
    if "$build/fuzz/zan_fuzz_$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2560 \
        -print_final_stats=1 -dict="fuzz/dict/$target.dict" -artifact_prefix="$build/findings/$target-" \
        "$build/corpus/$target" "fuzz/corpus/$target"; then
        passed=$((passed + 1))
    else
        failed="$failed $target"
    fi
done

count=$(echo $failed | wc -w)
echo "fuzz: $passed passed, $count failed"
if [ -n "$failed" ]; then
    echo "fuzz: findings in:$failed (inputs in $build/findings/; see fuzz/README.md)"
    exit 1
fi
