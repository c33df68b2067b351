#!/usr/bin/env bash
# Renders the hand-drawn SVG into the PNG sizes the program and the desktop use. The PNGs are
# committed, so neither the build nor the program needs an SVG renderer; run this (it needs
# rsvg-convert, from librsvg2-bin) after changing the drawing.
set -euo pipefail
cd "$(dirname "$0")/hicolor"
for size in 16 24 32 48 64 128 256; do
    mkdir -p "${size}x${size}/apps"
    rsvg-convert -w "$size" -h "$size" scalable/apps/com.tovanel.Pellamar.svg \
        -o "${size}x${size}/apps/com.tovanel.Pellamar.png"
done
