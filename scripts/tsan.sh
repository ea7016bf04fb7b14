#!/usr/bin/env bash
# Builds the engine's tests and the signal-processing tests with ThreadSanitizer into build-tsan/ (or $TESSARIN_TSAN_BUILD_DIR) and
# runs them, and the remote senders against a live measurement window under a virtual X server.
# Exits non-zero when a test fails or the sanitiser reports a race. The toolkit's libraries are not
# instrumented: scripts/sanitizers/tsan.supp leaves out what is seen through them, each line commented.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${TESSARIN_TSAN_BUILD_DIR:-$root/build-tsan}

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTESSARIN_TSAN=ON \
    -DTESSARIN_BENCH=OFF "$@" >/dev/null
cmake --build "$build" --parallel "$(nproc)" --target ring_buffer_tests background_job_tests engine_tests dsp_tests \
    view_ui_tests applications_tests
export TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 suppressions=$root/scripts/sanitizers/tsan.supp ${TSAN_OPTIONS:-}"
status=0
for tests in ring_buffer_tests background_job_tests; do
    "$build/bin/$tests" || status=1
done
# Not the tests through a JACK server: it orders its clients' process calls through semaphores in
# shared memory that the sanitiser cannot see, so the port buffers the clients hand on look shared
# without order.
"$build/bin/engine_tests" --gtest_filter='-AsioEndToEndTest.*:NinvaroTest.*' || status=1
# The signal-processing library's own workers: the tonality analyser's runs.
"$build/bin/dsp_tests" --gtest_filter='TonalityAnalyzerThread.*' || status=1
# The level logger's writer thread saving while blocks arrive.
"$build/bin/applications_tests" --gtest_filter='LevelLoggerWriterThread.*' || status=1
# Remote commands sent from four threads while the window refreshes.
xvfb-run -a -s "-screen 0 1280x1024x24" "$build/bin/view_ui_tests" \
    --gtest_filter='SndViewRemoteWindowTest.*' || status=1
exit $status
