#!/usr/bin/env python3
"""Fuzz smoke of real-scale lighting with extreme values.

Runs `orvalis-cli generate --sky-light` on small generated GeoTIFF heightmaps
(heights up to 1e30 and beyond a float's range, NaN and no-data cells,
pixel sizes of the geotransform from subnormal to 1e300, with a geographic,
projected or no coordinate system) with random extreme values of every
real-scale option, mostly within the ranges the program takes. A run may
succeed or be refused (exit 0, 1 or 2); a crash (a signal), a hang or a
sanitizer's report fails the smoke, printing the command to repeat.

Usage: extreme_values.py ORVALIS_CLI SECONDS [SEED]
"""
import math
import os
import random
import struct
import subprocess
import sys
import tempfile
import time

TINY = [5e-324, 1e-310, 1e-300, 1e-100, 1e-40, 1e-12, 1e-9]
HUGE = [1e9, 1e12, 1e30, 3.4e38, 1e40, 1e300, 1.7e308]


def extreme(rng, low, high):
    """A number within low .. high (both above 0) at or near an end, or spread
    over the range by its logarithm; now and then one beyond it."""
    pick = rng.random()
    if pick < 0.1:
        return rng.choice(TINY + HUGE + [0, -1])
    if pick < 0.4:
        return rng.choice([low, high, low * (1 + 1e-15), high * (1 - 1e-15)])
    return math.exp(rng.uniform(math.log(low), math.log(high)))


def height(rng, peak):
    pick = rng.random()
    if pick < 0.05:
        return float("nan")
    if pick < 0.1:
        return -9999.0  # the file's no-data value
    return rng.choice([0.0, peak, -peak, rng.uniform(-peak, peak)])


def geotiff(path, rng):
    """A one-band GeoTIFF of random size, sample type, heights and place."""
    width, rows = rng.randint(1, 40), rng.randint(1, 40)
    kind = rng.choice(["f", "d", "h"])  # float32, float64, int16
    peak = rng.choice([1.0, 1e3, 1e15, 1e29, 1e30, 3e38, 1e40, 1e300]) if kind != "h" else 32767.0
    values = [height(rng, peak) for _ in range(width * rows)]
    if kind == "h":
        values = [-9999 if math.isnan(v) else int(max(-32768, min(32767, v))) for v in values]
    elif kind == "f":
        values = [max(-3.4e38, min(3.4e38, v)) for v in values]
    data = struct.pack("<%d%s" % (len(values), kind), *values)
    bits, sample_format = {"f": (32, 3), "d": (64, 3), "h": (16, 2)}[kind]
    scale = extreme(rng, 1e-9, 1e5)  # degrees or metres
    extra = []  # (tag, type, count, bytes)
    if rng.random() < 0.8:
        extra.append((33550, 12, 3, struct.pack("<3d", scale, scale * rng.choice([1, 0.5, 3]), 0)))
        extra.append((33922, 12, 6, struct.pack("<6d", 0, 0, 0, rng.uniform(-180, 180), rng.uniform(-89, 89), 0)))
        system = rng.choice([None, (2, 2048, 4326), (1, 3072, 32633)])
        if system:
            keys = [1, 1, 0, 3, 1024, 0, 1, system[0], 1025, 0, 1, 1, system[1], 0, 1, system[2]]
            extra.append((34735, 3, len(keys), struct.pack("<%dH" % len(keys), *keys)))
    nodata = b"-9999\0"
    extra.append((42113, 2, len(nodata), nodata))
    entries = [(256, 4, 1, struct.pack("<I", width)), (257, 4, 1, struct.pack("<I", rows)),
               (258, 3, 1, struct.pack("<H", bits)), (259, 3, 1, struct.pack("<H", 1)),
               (262, 3, 1, struct.pack("<H", 1)), (273, 4, 1, None), (277, 3, 1, struct.pack("<H", 1)),
               (278, 4, 1, struct.pack("<I", rows)), (279, 4, 1, struct.pack("<I", len(data))),
               (339, 3, 1, struct.pack("<H", sample_format))] + extra
    ifd_size = 2 + 12 * len(entries) + 4
    blobs, offset = b"", 8 + ifd_size
    fields = []
    for tag, kind_, count, value in entries:
        if value is not None and len(value) > 4:
            fields.append((tag, kind_, count, struct.pack("<I", offset + len(blobs))))
            blobs += value + b"\0" * (len(value) % 2)
        else:
            fields.append((tag, kind_, count, value))
    data_offset = offset + len(blobs)
    ifd = struct.pack("<H", len(fields))
    for tag, kind_, count, value in fields:
        value = struct.pack("<I", data_offset) if value is None else value
        ifd += struct.pack("<HHI", tag, kind_, count) + value.ljust(4, b"\0")
    with open(path, "wb") as f:
        f.write(b"II*\0" + struct.pack("<I", 8) + ifd + struct.pack("<I", 0) + blobs + data)


def tile(path, grey):
    """A 2 x 2 grey 24-bit BMP."""
    row = bytes([grey] * 6) + b"\0\0"
    f = struct.pack("<2sIHHI", b"BM", 54 + 16, 0, 0, 54)
    f += struct.pack("<IiiHHIIiiII", 40, 2, 2, 1, 24, 0, 16, 2835, 2835, 0, 0)
    with open(path, "wb") as out:
        out.write(f + row * 2)


def number(value):
    return repr(float(value))


def options(rng):
    args = ["--sky-light", "--sun-azimuth", number(rng.choice([0, 360, 45, 90, rng.uniform(0, 360)])),
            "--sun-elevation", number(rng.choice([0, 5e-324, 1e-9, 90, 89.999999, rng.uniform(0, 90)])),
            "--size", str(rng.choice([1, 2, 3, 17, 64]))]
    if rng.random() < 0.5:
        cell = number(extreme(rng, 1e-9, 1e9))
        args += ["--cell-size", cell + (":" + number(extreme(rng, 1e-9, 1e9)) if rng.random() < 0.5 else "")]
    if rng.random() < 0.5:
        args += ["--z-factor", number(extreme(rng, 1e-9, 1e9))]
    if rng.random() < 0.4:
        low = -extreme(rng, 1e-9, 1e30) if rng.random() < 0.5 else 0
        args += ["--height-range", number(low) + ":" + number(low + extreme(rng, 1e-9, 1e30))]
    if rng.random() < 0.3:
        args += ["--ambient", number(rng.choice([0, 1, 5e-324, rng.random()]))]
    if rng.random() < 0.3:
        args += ["--sun-size", number(rng.choice([0, 10, 5e-324, rng.uniform(0, 10)]))]
    if rng.random() < 0.2:
        args += ["--resample", rng.choice(["smooth", "classic"])]
    if rng.random() < 0.3:
        args += ["--shadow-map", "shadow.png"]
    return args


def main():
    cli, seconds = os.path.abspath(sys.argv[1]), float(sys.argv[2])
    seed = int(sys.argv[3]) if len(sys.argv) > 3 else random.randrange(1 << 32)
    rng = random.Random(seed)
    end, runs = time.monotonic() + seconds, 0
    with tempfile.TemporaryDirectory() as scratch:
        tiles = []
        for i in range(5):
            tiles.append(os.path.join(scratch, "t%d.bmp" % i))
            tile(tiles[-1], 40 * i)
        while time.monotonic() < end:
            work = tempfile.mkdtemp(dir=scratch)
            geotiff(os.path.join(work, "dem.tif"), rng)
            command = [cli, "generate", "--heightmap", "dem.tif", "--tiles", ",".join(tiles), "--quiet",
                       "--threads", str(rng.choice([1, 2])), "--output", "tex.png"] + options(rng)
            try:
                run = subprocess.run(command, cwd=work, capture_output=True, text=True, errors="replace",
                                     timeout=300)
                failed = run.returncode not in (0, 1, 2) or "Sanitizer" in run.stderr or "runtime error" in run.stderr
                report = "exit %d\n%s" % (run.returncode, run.stderr[-4000:])
            except subprocess.TimeoutExpired:
                failed, report = True, "no end after 300 s"
            runs += 1
            if failed:
                os.replace(os.path.join(work, "dem.tif"), "extreme-values-crash.tif")
                print("extreme values: run %d of seed %d failed (its dem.tif kept as extreme-values-crash.tif "
                      "here): %s\n  %s" % (runs, seed, report, " ".join(command)), file=sys.stderr)
                return 1
            subprocess.run(["rm", "-rf", work], check=True)
    print("extreme values: %d runs of seed %d, no crash" % (runs, seed))
    return 0


if __name__ == "__main__":
    sys.exit(main())
