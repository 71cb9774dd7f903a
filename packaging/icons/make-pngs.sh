#!/usr/bin/env bash
# Redraws the PNG icons from the SVG; run after changing it (needs rsvg-convert
# from librsvg2-bin). The PNGs are kept in the repository so the build needs
# no SVG renderer.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")"
for size in 16 32 48 64 128 256; do
  rsvg-convert -w "$size" -h "$size" org.example.orvalis.svg -o "org.example.orvalis-$size.png"
done
