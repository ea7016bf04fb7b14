#!/usr/bin/env bash
# Sets up a fresh machine, builds everything and runs all tests. Tests that need a display run
# under a virtual X server. Exits non-zero when anything fails.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${TESSARIN_BUILD_DIR:-$root/build}

"$root/scripts/install-deps.sh"
"$root/scripts/build.sh"
cd "$build"
xvfb-run -a -s "-screen 0 1280x1024x24" \
    ctest --output-on-failure --parallel "$(nproc)" --timeout 600
