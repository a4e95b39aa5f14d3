#!/bin/sh
# Builds the libFuzzer programs with clang into build-fuzz/ and runs each target for
# SECONDS seconds (default 60), one after the other, from its committed corpus in
# fuzz/corpus/<target>/ and dictionary in fuzz/dict/. Inputs that reach new code are
# kept in build-fuzz/corpus/<target>/, never in the tree; a crash, leak, timeout or
# failed check leaves its input in build-fuzz/findings/ and fails the run.
#   scripts/fuzz.sh [SECONDS] [TARGET...]
#   scripts/fuzz.sh smoke [TARGET...]
# "smoke" is CI's run: about a minute a target, but a fixed seed and a fixed number of
# inputs from the committed corpus only, so that every machine runs the same inputs and
# the run passes or fails with the code, not with the machine's speed. New findings are
# for the longer runs (fuzz/README.md).
set -eu
cd "$(dirname "$0")/.."
limit="-max_total_time=${1:-60}"
smoke=false
if [ "${1:-}" = smoke ]; then
    smoke=true
    limit=""
fi
[ $# -gt 0 ] && shift
targets=${*:-renderer command png formfile}

# Inputs of a smoke run: from a quarter of a minute (command) to two minutes (renderer)
# on a 2-core machine, about four minutes in all.
smoke_runs() {
    case $1 in
        renderer) echo 90000 ;;
        command) echo 40000 ;;
        png) echo 200000 ;;
        formfile) echo 120000 ;;
    esac
}
scripts/install-dependencies.sh

build=build-fuzz
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++-14 \
    -DZAN_BUILD_FUZZERS=ON -DZAN_BUILD_TESTS=OFF -DZAN_BUILD_SHARED=OFF
# shellcheck disable=SC2046
cmake --build "$build" -j2 --target $(for target in $targets; do echo "zan_fuzz_$target"; done)

# The png and command targets write a file or more a run: in memory, where the machine
# has it, they cost no disk writes (which took most of the png target's time).
if [ -z "${TMPDIR:-}" ] && [ -d /dev/shm ] && [ -w /dev/shm ]; then
    export TMPDIR=/dev/shm
fi

passed=0
failed=""
for target in $targets; do
    mkdir -p "$build/corpus/$target" "$build/findings"
    corpus="$build/corpus/$target"
    if $smoke; then
        limit="-runs=$(smoke_runs "$target") -seed=1"
        # A fresh folder, so that only the committed corpus decides the inputs.
        corpus="$build/smoke-corpus/$target"
        rm -rf "$corpus"
        mkdir -p "$corpus"
    fi
    echo "== fuzzing $target ($limit)"
    # A single process; -timeout and -rss_limit_mb turn a slow or bloated input into a finding.
    # shellcheck disable=SC2086
    if "$build/fuzz/zan_fuzz_$target" $limit -timeout=10 -rss_limit_mb=2560 \
        -print_final_stats=1 -dict="fuzz/dict/$target.dict" -artifact_prefix="$build/findings/$target-" \
        "$corpus" "fuzz/corpus/$target"; then
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
