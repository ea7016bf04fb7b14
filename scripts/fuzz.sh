#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (address and undefined-behaviour sanitisers, the libraries
# they link carrying coverage instrumentation too) and runs each for a bounded time:
#   scripts/fuzz.sh [seconds per target, default 300] [target ...]
# Up to TESSARIN_FUZZ_JOBS targets (default 4) run at once, one core each. Each starts from its seed
# corpus in tests/fuzz/corpus/<target>/; what it learns stays in fuzz-build/corpus/<target>/, its
# output in fuzz-build/logs/<target>.log, findings in fuzz-build/findings/<target>/. Not part of CI.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-300}
shift || true
build=$root/fuzz-build
jobs=${TESSARIN_FUZZ_JOBS:-4}
targets=(profile_fuzzer archive_fuzzer view_settings_fuzzer wave_reader_fuzzer mp3_reader_fuzzer
    engine_block_fuzzer phonetogram_fuzzer pulvera_wave_reader_fuzzer generator_link_fuzzer
    overlay_text_fuzzer settings_file_fuzzer registry_fuzzer default_cal_fuzzer remote_command_fuzzer
    calibration_curve_fuzzer reference_file_fuzzer level_logger_set_fuzzer impulse_text_fuzzer)
[ $# -gt 0 ] && targets=("$@")

"$root/scripts/install-deps.sh" clang libclang-rt-14-dev
# A UBSan report stops the run, so that libFuzzer keeps the input as a finding.
flags="-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer"
CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DTESSARIN_FUZZ=ON -DTESSARIN_GUI=OFF -DTESSARIN_BENCH=OFF -DTESSARIN_TESTS=ON \
    -DCMAKE_C_FLAGS="$flags" -DCMAKE_CXX_FLAGS="$flags" >/dev/null
cmake --build "$build" --parallel "${TESSARIN_JOBS:-$(nproc)}" --target "${targets[@]}"

run()
{
    local target=$1
    local corpus=$build/corpus/$target findings=$build/findings/$target log=$build/logs/$target.log
    mkdir -p "$corpus" "$findings" "$build/logs"
    if "$build/bin/$target" -max_total_time="$seconds" -artifact_prefix="$findings/" -print_final_stats=1 \
        "$corpus" "$root/tests/fuzz/corpus/$target" >"$log" 2>&1; then
        echo "== $target: $(grep -E '^#[0-9]+[[:space:]]+DONE' "$log" | tail -1)"
    else
        echo "== $target: FINDING, see $log and $findings/"
        return 1
    fi
}

status=0
running=0
for target in "${targets[@]}"; do
    if [ "$running" -ge "$jobs" ]; then
        wait -n || status=1
        running=$((running - 1))
    fi
    echo "-- $target for ${seconds}s"
    run "$target" &
    running=$((running + 1))
done
while [ "$running" -gt 0 ]; do
    wait -n || status=1
    running=$((running - 1))
done
exit $status
