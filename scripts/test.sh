#!/usr/bin/env bash
# Sets up a fresh Debian machine, builds everything and runs every test: the
# normal build, then AddressSanitizer+UndefinedBehaviorSanitizer over every
# suite, then ThreadSanitizer over the suites that run our own threads (the
# window suites among them, with drawing off: Qt draws on threads of its own
# that the sanitizer cannot follow), after a bounded run of the fuzz targets.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:strict_string_checks=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1"

echo "=== code style (clang-format) ==="
git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format --dry-run --Werror

for preset in default asan tsan; do
    echo "=== $preset build ==="
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset"
done

echo "=== fuzzing: the keying log and settings file readers, 60 s each ==="
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz
for target in keying_log settings_file; do
    found=$(mktemp -d)
    if ! build/fuzz/fuzz_$target -max_total_time=60 -print_final_stats=1 \
        -artifact_prefix=build/fuzz/ "$found" fuzz/corpus/$target >build/fuzz/$target.log 2>&1; then
        tail -n 40 build/fuzz/$target.log
        echo "fuzz_$target found a failing input; it is in build/fuzz/"
        exit 1
    fi
    echo "fuzz_$target: $(grep -o 'number_of_executed_units: [0-9]*' build/fuzz/$target.log)"
    rm -rf "$found"
done

echo "=== tests: default build ==="
ctest --preset default
echo "=== tests: AddressSanitizer + UndefinedBehaviorSanitizer ==="
ctest --preset asan --label-exclude e2e
echo "=== tests: ThreadSanitizer ==="
ctest --preset tsan --label-regex threads
