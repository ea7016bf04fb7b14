#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (address and undefined-behaviour sanitisers) and runs
# each for a bounded time: scripts/fuzz.sh [seconds per target, default 300]. Not part of CI.
# Findings are left in fuzz-build/findings/<target>/.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-300}
build=$root/fuzz-build

"$root/scripts/install-deps.sh" clang libclang-rt-14-dev
CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DTESSARIN_FUZZ=ON -DTESSARIN_GUI=OFF -DTESSARIN_BENCH=OFF -DTESSARIN_TESTS=ON \
    -DCMAKE_C_FLAGS=-fsanitize=address,undefined -DCMAKE_CXX_FLAGS=-fsanitize=address,undefined >/dev/null
cmake --build "$build" --parallel "$(nproc)" --target profile_fuzzer archive_fuzzer wave_reader_fuzzer mp3_reader_fuzzer view_settings_fuzzer engine_block_fuzzer phonetogram_fuzzer \
    pulvera_wave_reader_fuzzer generator_link_fuzzer overlay_text_fuzzer settings_file_fuzzer \
    remote_command_fuzzer

status=0
for target in profile_fuzzer archive_fuzzer view_settings_fuzzer wave_reader_fuzzer mp3_reader_fuzzer engine_block_fuzzer \
    phonetogram_fuzzer pulvera_wave_reader_fuzzer generator_link_fuzzer overlay_text_fuzzer settings_file_fuzzer \
    remote_command_fuzzer; do
    corpus=$build/corpus/$target
    findings=$build/findings/$target
    mkdir -p "$corpus" "$findings"
    seeds=${target%_fuzzer}
    [ "$target" = pulvera_wave_reader_fuzzer ] && seeds=wave_reader
    cp -n "$root"/tests/fuzz/seeds/"$seeds"/* "$corpus"/ 2>/dev/null || true
    echo "== $target for ${seconds}s"
    if ! "$build/bin/$target" -max_total_time="$seconds" -artifact_prefix="$findings/" \
        -print_final_stats=1 "$corpus"; then
        status=1
    fi
done
exit $status
