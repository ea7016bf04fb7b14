#!/usr/bin/env bash
# Sets up a fresh machine, builds everything and starts Tessarin.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${TESSARIN_BUILD_DIR:-$root/build}

"$root/scripts/install-deps.sh"
"$root/scripts/build.sh"
if [ -x "$build/bin/Tessarin" ]; then
    if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
        exec xvfb-run -a "$build/bin/Tessarin" "$@"
    fi
    exec "$build/bin/Tessarin" "$@"
fi
echo "Built the libraries and tests; the program Tessarin itself is not there yet."
