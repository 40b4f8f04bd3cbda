#!/usr/bin/env bash
# Builds the whole project a second time, into build-asan/, under AddressSanitizer and
# UndefinedBehaviorSanitizer (the first finding ends the test that hit it), and runs every test
# there, end-to-end tests included; the long proof under load runs once, in the plain build.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DRADIOMODEM_SANITIZE=ON \
    -DRADIOMODEM_BUILD_BENCHMARKS=OFF >/dev/null
cmake --build build-asan -j"$(nproc)"
export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
# The shell completions' tests run the program dozens of times inside an interactive zsh on a
# pty, where LeakSanitizer's exit-time scan has been seen to spin forever; they test shell code,
# not memory, and run in the plain build.
ctest --test-dir build-asan --output-on-failure -j"$(nproc)" -LE "e2e|long|completion"
ctest --test-dir build-asan --output-on-failure -L e2e
