#!/usr/bin/env bash
# Builds and runs every test: the format check, the tests in a normal build, and the tests again
# in a build with AddressSanitizer and UndefinedBehaviorSanitizer. A PostgreSQL server on a private
# port serves the database tests for the length of the run.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
scripts/deps.sh

echo "== Format check"
mapfile -t sources < <(git ls-files -co --exclude-standard -- '*.cpp' '*.h' | while read -r f; do [ -f "$f" ] && echo "$f"; done)
clang-format --dry-run --Werror "${sources[@]}"

jobs=$(nproc)

echo "== Build (tests and benchmarks)"
cmake -S . -B build/test -G Ninja -DCMAKE_BUILD_TYPE=Debug -DORVEL_BUILD_TESTS=ON -DORVEL_BUILD_BENCH=ON >/dev/null
cmake --build build/test -j "$jobs"

echo "== Sanitizer build"
cmake -S . -B build/sanitize -G Ninja -DCMAKE_BUILD_TYPE=Debug -DORVEL_BUILD_TESTS=ON -DORVEL_SANITIZE=ON >/dev/null
cmake --build build/sanitize -j "$jobs"

services=$(mktemp -d /tmp/orvel-test-services.XXXXXX)
cleanup() { scripts/test-services.sh stop "$services" || true; rm -rf "$services"; }
trap cleanup EXIT
# shellcheck disable=SC1091
source <(scripts/test-services.sh start "$services")

status=0
echo "== Tests"
ctest --test-dir build/test --output-on-failure -j "$jobs" || status=1

echo "== Tests with sanitizers"
ASAN_OPTIONS=detect_leaks=0:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    ctest --test-dir build/sanitize --output-on-failure -j "$jobs" || status=1

cd "$root"
if [ "$status" -eq 0 ]; then echo "All tests passed."; else echo "Some tests failed."; fi
exit "$status"
