#!/usr/bin/env bash
# Builds the libFuzzer targets of tests/fuzz with clang into build-fuzz/ and runs each for
# FUZZ_SECONDS seconds (default 60), starting from its committed seeds in
# tests/fuzz/corpus/<target>/ and from what earlier runs found in build-fuzz/corpus/<target>/.
# FUZZ_TARGETS picks targets (default: all). Any finding (a broken invariant, a sanitizer
# report, a crash, an input that runs longer than 10 s) fails the run and is printed together
# with the command that reproduces it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
seconds=${FUZZ_SECONDS:-60}
read -r -a targets <<<"${FUZZ_TARGETS:-frame_fuzzer hex_text_fuzzer sim_fuzzer exchange_fuzzer receive_fuzzer settings_file_fuzzer command_line_fuzzer}"
cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
    -DRADIOMODEM_BUILD_FUZZERS=ON -DRADIOMODEM_BUILD_TESTS=OFF \
    -DRADIOMODEM_BUILD_BENCHMARKS=OFF >/dev/null
cmake --build build-fuzz -j"$(nproc)" --target "${targets[@]}"
mkdir -p build-fuzz/findings build-fuzz/logs

# Runs one target; its report (the summary line, and the log's end and the reproducers after a
# finding) goes to build-fuzz/logs/<target>.report, and <target>.failed marks a finding.
fuzz_one() {
    local target=$1
    local corpus=build-fuzz/corpus/$target
    local log=build-fuzz/logs/$target.log
    local report=build-fuzz/logs/$target.report
    local start=$SECONDS result=ok
    mkdir -p "$corpus"
    rm -f build-fuzz/findings/"$target"-* build-fuzz/logs/"$target".failed
    if ! build-fuzz/tests/fuzz/"$target" -max_total_time="$seconds" -timeout=10 \
        -print_final_stats=1 -artifact_prefix=build-fuzz/findings/"$target"- \
        "$corpus" tests/fuzz/corpus/"$target" >"$log" 2>&1; then
        result=FAILED
        touch build-fuzz/logs/"$target".failed
    fi
    {
        if [ "$result" = FAILED ]; then
            grep -v -E '^#[0-9]+' "$log" | tail -n 60
            for finding in build-fuzz/findings/"$target"-*; do
                [ -e "$finding" ] || continue
                echo "reproducer $finding:"
                od -A x -t x1z -v "$finding" | head -n 40
                echo "reproduce with: build-fuzz/tests/fuzz/$target $finding"
            done
        fi
        local runs
        runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
        echo "fuzz $target: $result, ${runs:-?} inputs in $((SECONDS - start)) s"
    } >"$report"
}

# One target per core at a time: each still gets its full time on a core of its own.
for target in "${targets[@]}"; do
    while [ "$(jobs -rp | wc -l)" -ge "$(nproc)" ]; do
        wait -n || true
    done
    fuzz_one "$target" &
done
wait
failed=()
for target in "${targets[@]}"; do
    cat build-fuzz/logs/"$target".report
    if [ -e build-fuzz/logs/"$target".failed ]; then
        failed+=("$target")
    fi
done
if [ ${#failed[@]} -gt 0 ]; then
    echo "fuzzing found faults in: ${failed[*]}" >&2
    exit 1
fi
