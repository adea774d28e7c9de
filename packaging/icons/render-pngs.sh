#!/usr/bin/env bash
# Renders the icon's PNG sizes from org.tidewell.Tidewell.svg into
# hicolor/<N>x<N>/apps/ beside this script. The PNGs are committed; run this
# again after changing the SVG (needs rsvg-convert, package librsvg2-bin).
set -euo pipefail
cd "$(dirname "$0")"
for size in 16 32 48 64 128 256; do
  mkdir -p "hicolor/${size}x${size}/apps"
  rsvg-convert --width "$size" --height "$size" --format png \
    --output "hicolor/${size}x${size}/apps/org.tidewell.Tidewell.png" org.tidewell.Tidewell.svg
done
