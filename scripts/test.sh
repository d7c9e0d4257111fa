#!/usr/bin/env bash
# Sets up a fresh Debian machine, builds everything and runs every test: the
# normal build, then AddressSanitizer+UndefinedBehaviorSanitizer over every
# suite, then ThreadSanitizer over the suites that run our own threads (Qt
# itself is not instrumented, so its suites would only report noise there).
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

echo "=== tests: default build ==="
ctest --preset default
echo "=== tests: AddressSanitizer + UndefinedBehaviorSanitizer ==="
ctest --preset asan --label-exclude e2e
echo "=== tests: ThreadSanitizer ==="
ctest --preset tsan --label-regex threads
