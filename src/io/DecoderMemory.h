#pragma once

#include <cstdint>
#include <string>

#include "files/InputFile.h"

namespace orvalis {

// The structure of a GIF file as giflib will decode it: GDAL's GIF driver
// decodes every frame into memory when it opens the file.
struct GifFrames {
    int Count = 0;
    std::uint64_t Pixels = 0;        // of all frames together, a byte each
    std::uint64_t FirstPixels = 0;
    bool FirstInterlaced = false;
};

// Walks the blocks of a GIF file without decoding them; a structure that
// ends early ends the walk (giflib then refuses the file itself).
GifFrames WalkGifFrames(const InputFile& file);

// True for a JPEG file whose first frame is progressive: libjpeg then keeps
// the coefficients of the whole picture while it decodes.
bool IsProgressiveJpeg(const InputFile& file);

// True for a PNG file stored interlaced: GDAL then decodes it in chunks of
// whole passes.
bool IsInterlacedPng(const InputFile& file);

// What GDAL's driver holds besides its cached blocks while it reads a
// picture of width x rows pixels of `bands` bands of sampleBytes each: the
// whole pictures some decoders keep. Known from the file before decoding.
std::uint64_t DecoderBytes(const std::string& driver, const InputFile& file, std::int32_t width,
                           std::int32_t rows, int bands, int sampleBytes);

}  // namespace orvalis
