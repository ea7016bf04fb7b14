#!/usr/bin/env bash
# Builds the whole tree with clang's AddressSanitizer and UndefinedBehaviorSanitizer into
# build-asan/ (or $TESSARIN_ASAN_BUILD_DIR) and runs every test under a virtual X server.
# Exits non-zero when a test fails or a sanitiser reports. Not part of CI. On a shared machine,
# TESSARIN_JOBS limits the build's and the tests' parallelism (default: every core).
#   - leaks inside system libraries (GTK, fontconfig, glib, Mesa) are suppressed by
#     scripts/sanitizers/lsan.supp, each line commented;
#   - UBSan's vptr check cannot see the toolkit's classes across its shared libraries: it is left
#     out for the toolkit's types only, by scripts/sanitizers/ubsan-ignorelist.txt.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${TESSARIN_ASAN_BUILD_DIR:-$root/build-asan}
sanitizers=$root/scripts/sanitizers
jobs=${TESSARIN_JOBS:-$(nproc)}

"$root/scripts/install-deps.sh" clang libclang-rt-14-dev
flags="-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer"
flags="$flags -fsanitize-ignorelist=$sanitizers/ubsan-ignorelist.txt"
CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DTESSARIN_BENCH=OFF -DTESSARIN_TEST_TIMEOUT=1200 -DCMAKE_C_FLAGS="$flags" -DCMAKE_CXX_FLAGS="$flags" \
    -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" \
    -DCMAKE_SHARED_LINKER_FLAGS="-fsanitize=address,undefined" \
    -DCMAKE_MODULE_LINKER_FLAGS="-fsanitize=address,undefined" "$@" >/dev/null
cmake --build "$build" --parallel "$jobs"

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0:strict_string_checks=1:detect_stack_use_after_return=1 ${ASAN_OPTIONS:-}"
export LSAN_OPTIONS="suppressions=$sanitizers/lsan.supp:print_suppressions=0 ${LSAN_OPTIONS:-}"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1 ${UBSAN_OPTIONS:-}"
cd "$build"
xvfb-run -a -s "-screen 0 1280x1024x24" \
    ctest --output-on-failure --parallel "$jobs" --timeout 1200
