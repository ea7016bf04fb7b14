#!/usr/bin/env bash
# Renders every toolbar picture of resources/icons/*.svg to PNGs at 16, 22 and 32 pixels
# (resources/icons/png/<name>-<size>.png). The PNGs are committed; the build takes them in.
# Needs rsvg-convert (Debian librsvg2-bin).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
icons="$root/resources/icons"
mkdir -p "$icons/png"
for svg in "$icons"/*.svg; do
    name=$(basename "$svg" .svg)
    for size in 16 22 32; do
        rsvg-convert -w "$size" -h "$size" -o "$icons/png/$name-$size.png" "$svg"
    done
done
