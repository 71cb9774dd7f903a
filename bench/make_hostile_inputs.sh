#!/usr/bin/env bash
# Makes the hostile and the valid-but-extreme pictures that bench/hostile_files.sh
# measures, in the folder given (nothing here is committed: some are large
# to decode, all are small on the disk). Needs gdal-bin and python3.
# Usage: bench/make_hostile_inputs.sh FOLDER
set -euo pipefail
out=${1:?usage: make_hostile_inputs.sh FOLDER}
mkdir -p "$out"
cd "$out"
command -v gdal_translate >/dev/null || { echo "needs gdal-bin (apt-get install -y gdal-bin)" >&2; exit 1; }

# A blank picture of one sample type, as a sparse TIFF that costs no disk.
blank() {  # SIDE TYPE NAME
  gdal_create -q -of GTiff -outsize "$1" "$1" -ot "$2" -co SPARSE_OK=YES -co TILED=YES "$3"
}

# Decompression bombs within the old 1100 : 1 check: zeros that deflate squeezes.
blank 32768 Byte z8.tif && gdal_translate -q -of PNG -co ZLEVEL=9 z8.tif zeros8-32768.png
blank 16384 UInt16 z16.tif && gdal_translate -q -of PNG -co ZLEVEL=9 z16.tif zeros16-16384.png
blank 16384 Float32 zf.tif &&
  gdal_translate -q -co COMPRESS=DEFLATE -co ZLEVEL=9 zf.tif zerosf-16384-deflate.tif

# Valid files the old check took for lying.
blank 8192 Byte z8k.tif
gdal_translate -q -of GIF z8k.tif zeros-8192.gif
gdal_translate -q -co COMPRESS=ZSTD -co ZSTD_LEVEL=22 -co BLOCKYSIZE=8192 z8k.tif zeros-8192-zstd22.tif
blank 16384 Byte z16k.tif && gdal_translate -q -of JPEG -co PROGRESSIVE=ON z16k.tif progressive-16384.jpg
rm -f z8.tif z16.tif zf.tif z8k.tif z16k.tif ./*.aux.xml

python3 - <<'EOF'
import struct
import subprocess

# RLE8 BMP of 32768 x 32768: an end of line per row and nothing else.
side = 32768
data = b"\x00\x00" * side + b"\x00\x01"
palette = b"".join(bytes((i, i, i, 0)) for i in range(256))
offset = 14 + 40 + len(palette)
header = struct.pack("<2sIHHI", b"BM", offset + len(data), 0, 0, offset)
info = struct.pack("<IiiHHIIiiII", 40, side, side, 1, 8, 1, len(data), 0, 0, 256, 0)
open("rle8-32768.bmp", "wb").write(header + info + palette + data)

# An ESRI ASCII grid that claims 32768 x 32768 cells in 4 MB of text.
head = b"ncols 32768\nnrows 32768\nxllcorner 0\nyllcorner 0\ncellsize 1\n"
open("padded-32768.asc", "wb").write(head + b"0 " * ((4 << 20) // 2))

# A GIF animation of 3000 frames, the first frame of a one-frame GIF repeated.
subprocess.run(["gdal_translate", "-q", "-of", "GIF", "-outsize", "16", "16",
                "zeros-8192.gif", "frame.gif"], check=True)
frame = open("frame.gif", "rb").read()
screen = 13 + 3 * (2 << (frame[10] & 7)) if frame[10] & 0x80 else 13
image = frame.index(b"\x2c", screen)
open("frames-3000.gif", "wb").write(frame[:image] + frame[image:-1] * 3000 + b"\x3b")
EOF
rm -f frame.gif ./*.aux.xml
ls -l
