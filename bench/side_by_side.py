#!/usr/bin/env python3
"""Puts pictures side by side, 8 white pixels apart, into one PNG of 192
colours, small enough for the docs. Each may first be cut to a box and
enlarged by a whole factor (nearest pixel, so that pixels show), and all are
scaled to one height.

    side_by_side.py OUTPUT [--crop X,Y,W,H] [--zoom N] [--height H] PICTURE...

Needs Python's PIL (Debian python3-pil).
"""
import argparse

from PIL import Image

GAP = 8


def side_by_side(pictures, crop=None, zoom=1, height=None):
    """The pictures (files or PIL images) in a row, as a PIL image."""
    parts = []
    for picture in pictures:
        image = (Image.open(picture) if isinstance(picture, str) else picture).convert("RGB")
        if crop:
            x, y, w, h = crop
            image = image.crop((x, y, x + w, y + h))
        if zoom != 1:
            image = image.resize((image.width * zoom, image.height * zoom), Image.NEAREST)
        if height:
            image = image.resize((round(image.width * height / image.height), height), Image.LANCZOS)
        parts.append(image)
    row = Image.new("RGB", (sum(p.width for p in parts) + GAP * (len(parts) - 1), max(p.height for p in parts)),
                    (255, 255, 255))
    x = 0
    for part in parts:
        row.paste(part, (x, 0))
        x += part.width + GAP
    return row


def save(image, path):
    """A palette of 192 colours keeps the file small."""
    image.quantize(192, method=Image.Quantize.MEDIANCUT, dither=Image.Dither.NONE).save(path, optimize=True)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("output")
    parser.add_argument("pictures", nargs="+")
    parser.add_argument("--crop", type=lambda text: tuple(int(v) for v in text.split(",")))
    parser.add_argument("--zoom", type=int, default=1)
    parser.add_argument("--height", type=int)
    options = parser.parse_args()
    save(side_by_side(options.pictures, options.crop, options.zoom, options.height), options.output)


if __name__ == "__main__":
    main()
