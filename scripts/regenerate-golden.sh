#!/usr/bin/env bash
# Writes the golden images of the plot anew from the current painting code, on purpose: look at
# every changed picture (git diff shows which) before committing them. Needs a built tree.
# Usage: scripts/regenerate-golden.sh [build folder, default build]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build}"
binary="$build/bin/display_ui_tests"
if [ ! -x "$binary" ]; then
    echo "No $binary: build the tree first (ninja -C $build display_ui_tests)" >&2
    exit 1
fi
TESSARIN_REGENERATE_GOLDEN=1 FONTCONFIG_FILE="$root/resources/fonts/fonts.conf" \
    xvfb-run -a -s "-screen 0 1280x1024x24" "$binary" --gtest_filter='PlotGoldenTest.*'
echo "Golden images written to $root/tests/display/ui/golden; look at them before committing."
