#!/usr/bin/env bash
# The README's picture: the Jacksboro fault DEM (bench/jacksboro_dem.py)
# textured with the sample tiles and lit from azimuth 300, about 12 degrees
# up, classic on the left (the square texture, --light-dir 300 --sun-pos 21)
# and at its real scale on the right, both made at 1024 and shown 344 pixels
# high. Prints the shadowed share and the time of each generation. Needs
# python3-gdal, python3-matplotlib and python3-pil.
#
#   bench/real_scale_picture.sh [BUILD_BIN] [OUTPUT]
#   (defaults: build/release/bin, docs/images/classic-vs-real-scale.png)
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
bin=$(cd "${1:-$root/build/release/bin}" && pwd)
output=$(realpath -m "${2:-$root/docs/images/classic-vs-real-scale.png}")
python=${PYTHON:-/usr/bin/python3}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$python" "$root/bench/jacksboro_dem.py" "$work/dem.tif"
tiles=$bin/sample/snow.bmp,$bin/sample/rock.bmp,$bin/sample/grass.bmp,$bin/sample/sand.bmp,$bin/sample/water.bmp
cd "$work"
seconds() { local start=$EPOCHREALTIME; "$@"; awk -v a="$start" -v b="$EPOCHREALTIME" 'BEGIN { print b - a }'; }
classic=$(seconds "$bin/orvalis-cli" generate --heightmap dem.tif --tiles "$tiles" --size 1024 \
  --light-dir 300 --sun-pos 21 --format png --output classic.png --quiet)
real=$(seconds "$bin/orvalis-cli" generate --heightmap dem.tif --tiles "$tiles" --size 1024 \
  --sun-azimuth 300 --sun-elevation 12 --format png --output real.png --shadow-map shadow.png --quiet)
mkdir -p "$(dirname "$output")"
"$python" - "$output" "$classic" "$real" <<'PY'
import sys
import numpy as np
from PIL import Image
output, classic_s, real_s = sys.argv[1], float(sys.argv[2]), float(sys.argv[3])
height, gap = 344, 8
classic = Image.open("classic.png").convert("RGB")
real = Image.open("real.png").convert("RGB")
left = classic.resize((height, height), Image.LANCZOS)
right = real.resize((round(real.width * height / real.height), height), Image.LANCZOS)
both = Image.new("RGB", (left.width + gap + right.width, height), (255, 255, 255))
both.paste(left, (0, 0))
both.paste(right, (left.width + gap, 0))
# A palette of 192 colours keeps the file small.
both.quantize(192, method=Image.Quantize.MEDIANCUT, dither=Image.Dither.NONE).save(output, optimize=True)
classic_lm = np.asarray(Image.open("classic_lm.png").convert("L"), dtype=np.int32)
shadow = np.asarray(Image.open("shadow.png").convert("L"))
print(f"classic: {classic.width} x {classic.height} in {classic_s:.2f} s, its lightmap in shadow or turned away "
      f"(153 or darker) on {100 * np.mean(classic_lm <= 153):.1f} % of the pixels")
print(f"real scale: {real.width} x {real.height} in {real_s:.2f} s, shadowed share "
      f"{100 * np.mean(shadow < 128):.1f} %")
print(f"{output}: {both.width} x {both.height}")
PY
ls -l "$output" | awk '{print $5 " bytes"}'
