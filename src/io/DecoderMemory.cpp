#include "io/DecoderMemory.h"

#include <algorithm>
#include <array>
#include <vector>

namespace orvalis {

namespace {

// Reads a file forward through a buffer, so that walking thousands of
// small blocks costs few system calls. Past the end it gives nothing.
class ByteCursor {
public:
    explicit ByteCursor(const InputFile& file) : file_(file) {}

    bool AtEnd() const { return position_ >= file_.Size(); }
    std::uint64_t Position() const { return position_; }
    void Skip(std::uint64_t bytes) { position_ += bytes; }

    // The next byte; -1 at the end of the file.
    int Next() {
        if (AtEnd()) return -1;
        if (position_ < bufferStart_ || position_ >= bufferStart_ + buffer_.size()) Fill();
        return buffer_[position_++ - bufferStart_];
    }

    // Little-endian (GIF) and big-endian (JPEG) words; -1 at the end.
    long Word16(bool bigEndian) {
        const int first = Next();
        const int second = Next();
        if (first < 0 || second < 0) return -1;
        return bigEndian ? first << 8 | second : second << 8 | first;
    }

private:
    void Fill() {
        constexpr std::uint64_t kChunk = 64 * 1024;
        bufferStart_ = position_;
        buffer_.resize(static_cast<std::size_t>(std::min(kChunk, file_.Size() - position_)));
        file_.ReadAt(bufferStart_, buffer_);
    }

    const InputFile& file_;
    std::uint64_t position_ = 0;
    std::uint64_t bufferStart_ = 0;
    std::vector<std::uint8_t> buffer_;
};

// Skips GIF data sub-blocks up to and including their empty end block;
// false when the file ends first.
bool SkipSubBlocks(ByteCursor& cursor) {
    for (;;) {
        const int length = cursor.Next();
        if (length < 0) return false;
        if (length == 0) return true;
        cursor.Skip(static_cast<std::uint64_t>(length));
    }
}

// A GIF colour table's bytes, from the flags that announce it.
std::uint64_t ColourTableBytes(int flags) { return flags & 0x80 ? 3ULL << ((flags & 7) + 1) : 0; }

constexpr int kGifImage = 0x2C, kGifExtension = 0x21;

}  // namespace

GifFrames WalkGifFrames(const InputFile& file) {
    GifFrames frames;
    ByteCursor cursor(file);
    cursor.Skip(10);  // "GIF89a", the screen's width and height
    const int screenFlags = cursor.Next();
    if (screenFlags < 0) return frames;
    cursor.Skip(2 + ColourTableBytes(screenFlags));
    for (;;) {
        const int block = cursor.Next();
        if (block == kGifExtension) {
            cursor.Skip(1);
            if (!SkipSubBlocks(cursor)) return frames;
        } else if (block == kGifImage) {
            cursor.Skip(4);  // left, top
            const long width = cursor.Word16(false);
            const long rows = cursor.Word16(false);
            const int flags = cursor.Next();
            if (width < 0 || rows < 0 || flags < 0) return frames;
            // Sides of at most 65535: the sum of a file's frames stays far below 2^64.
            const std::uint64_t pixels = static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(rows);
            if (frames.Count++ == 0) {
                frames.FirstPixels = pixels;
                frames.FirstInterlaced = (flags & 0x40) != 0;
            }
            frames.Pixels += pixels;
            cursor.Skip(ColourTableBytes(flags) + 1);  // + the LZW code size
            if (!SkipSubBlocks(cursor)) return frames;
        } else {
            return frames;  // the trailer, or a block giflib refuses
        }
    }
}

bool IsProgressiveJpeg(const InputFile& file) {
    ByteCursor cursor(file);
    if (cursor.Next() != 0xFF || cursor.Next() != 0xD8) return false;
    while (!cursor.AtEnd()) {
        if (cursor.Next() != 0xFF) continue;  // what libjpeg skips too
        int marker = cursor.Next();
        while (marker == 0xFF) marker = cursor.Next();
        // The frame markers, SOF0 .. SOF15 but for DHT, JPG and DAC.
        if (marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC) {
            return marker == 0xC2 || marker == 0xC6 || marker == 0xCA || marker == 0xCE;
        }
        const bool standalone = marker == 0x01 || (marker >= 0xD0 && marker <= 0xD9);
        if (standalone) continue;
        const long length = cursor.Word16(true);
        if (length < 2) return false;
        cursor.Skip(static_cast<std::uint64_t>(length) - 2);
    }
    return false;
}

bool IsInterlacedPng(const InputFile& file) {
    // The signature, the IHDR chunk's length and type, then width, height,
    // depth, colour type, compression and filter: the interlace method
    // is byte 28.
    constexpr std::uint64_t kInterlaceByte = 28;
    if (file.Size() <= kInterlaceByte) return false;
    std::array<std::uint8_t, 1> method{};
    file.ReadAt(kInterlaceByte, method);
    return method[0] != 0;
}

std::uint64_t DecoderBytes(const std::string& driver, const InputFile& file, std::int32_t width,
                           std::int32_t rows, int bands, int sampleBytes) {
    // Sides of at most 2^15, at most 4 bands of at most 8 bytes: below 2^38.
    const std::uint64_t picture = static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(rows) *
                                  static_cast<std::uint64_t>(bands) * static_cast<std::uint64_t>(sampleBytes);
    if (driver == "GIF") return WalkGifFrames(file).Pixels;
    // libjpeg keeps a progressive picture's coefficients, 128 bytes a block
    // of 8 x 8 samples of each component, 2 bytes a sample.
    if (driver == "JPEG") return IsProgressiveJpeg(file) ? 2 * picture : 0;
    if (driver == "PNG") return IsInterlacedPng(file) ? picture : 0;
    if (driver == "WEBP") return picture;
    return 0;
}

}  // namespace orvalis
