#include "raster/BmpFile.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <future>
#include <initializer_list>
#include <limits>
#include <span>
#include <string>
#include <vector>

#include "files/AtomicFile.h"
#include "raster/DibBuffer.h"
#include "files/InputFile.h"
#include "files/Error.h"

namespace orvalis {

namespace {

constexpr std::size_t kColourTableBytes = sizeof(BitmapInfo::Colours);  // 256 entries
// The reader's one look at the start of a file: the file header, the largest
// information header and a whole colour table.
constexpr std::size_t kWorkAreaSize = kFileHeaderSize + kLargestHeaderSize + kColourTableBytes;
// A picture of at most this many pixel bytes costs little whatever its file
// holds, so a short file of this size loads as it is.
constexpr std::uint64_t kLargestUncheckedClaim = std::uint64_t{1} << 20;
// A larger uncompressed picture loads, cut short, only when its file holds at
// least this part (1/2) of its pixel bytes: a cut file, not a header that lies.
constexpr std::uint64_t kLeastPresentShare = 2;
// Run-length data may describe a whole picture in 2 bytes: an end-of-picture
// code leaves every pixel at colour 0. What it may claim is therefore a
// choice. Up to this many pixel bytes (a 2048 x 2048 8-bit picture) it
// claims anything: fresh pixel memory is zero, and loading touches only the
// pages the data fills.
constexpr std::uint64_t kLargestUncheckedRunLengthClaim = std::uint64_t{4} << 20;
// Beyond that, a byte of its data stands for at most as many pixels as a
// 2-byte end of line skips in the widest row.
constexpr std::uint64_t kMostPixelsPerRunLengthByte = TDibBuffer::kMaxDimension / 2;
// Red, green and blue masks: right after a 40-byte header, inside the larger ones.
constexpr std::size_t kMaskOffset = kFileHeaderSize + kInfoHeaderSize;
constexpr std::size_t kMaskBytes = 12;

std::uint16_t ReadU16(std::span<const std::uint8_t> bytes, std::size_t offset) {
    return static_cast<std::uint16_t>(bytes[offset] | bytes[offset + 1] << 8);
}

std::uint32_t ReadU32(std::span<const std::uint8_t> bytes, std::size_t offset) {
    std::uint32_t value;
    std::memcpy(&value, bytes.data() + offset, sizeof value);
    return value;
}

bool IsAcceptedHeaderSize(std::uint32_t size) {
    return size == kCoreHeaderSize || size == kInfoHeaderSize || size == 52 || size == 56 ||
           size == 108 || size == kLargestHeaderSize;
}

bool IsRunLength(std::uint32_t compression) {
    return compression == BI_RLE8 || compression == BI_RLE4;
}

bool HasBitFields(const BitmapInfoHeader& header) {
    return header.biCompression == BI_BITFIELDS &&
           (header.biBitCount == 16 || header.biBitCount == 32);
}

// Everything that makes a header unusable before any size taken from it is used.
void CheckFormat(const BitmapInfoHeader& header) {
    const int bits = header.biBitCount;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) {
        throw Error(std::to_string(bits) + " bits per pixel are not supported");
    }
    if (header.biCompression > BI_BITFIELDS) {
        throw Error("compression " + std::to_string(header.biCompression) +
                          " is not supported");
    }
    if (header.biCompression == BI_RLE8 && bits != 8) {
        throw Error("RLE8 compression needs 8 bits per pixel, not " + std::to_string(bits));
    }
    if (header.biCompression == BI_RLE4 && bits != 4) {
        throw Error("RLE4 compression needs 4 bits per pixel, not " + std::to_string(bits));
    }
    const std::int64_t width = header.biWidth;
    // 64 bits: -2^31 has no 32-bit opposite.
    const std::int64_t rows = std::abs(std::int64_t{header.biHeight});
    if (width <= 0 || rows == 0 || width > TDibBuffer::kMaxDimension ||
        rows > TDibBuffer::kMaxDimension) {
        throw Error("a picture of " + std::to_string(header.biWidth) + " x " +
                          std::to_string(header.biHeight) +
                          " pixels is not supported (each side 1 to " +
                          std::to_string(TDibBuffer::kMaxDimension) + ")");
    }
}

// Entries that the bytes do not reach stay black.
void ReadColourTable(std::span<const std::uint8_t> bytes, std::size_t offset, std::size_t entrySize,
                     std::size_t count, RgbQuad* table) {
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t at = offset + i * entrySize;
        if (at + entrySize > bytes.size()) break;
        table[i] = RgbQuad{bytes[at], bytes[at + 1], bytes[at + 2],
                           entrySize == 4 ? bytes[at + 3] : std::uint8_t{0}};
    }
}

void ReadMasks(std::span<const std::uint8_t> fileStart, BitmapInfo& info) {
    if (fileStart.size() < kMaskOffset + kMaskBytes) {
        throw Error("the bit-field masks are cut short");
    }
    for (const int channel : {kRedMask, kGreenMask, kBlueMask}) {
        const std::uint32_t mask = ReadU32(fileStart, kMaskOffset + 4 * channel);
        if (mask == 0) throw Error("a bit-field mask is zero");
        info.SetMask(channel, mask);
    }
}

// Runs a step that knows nothing of the file and names the file in its errors.
template <typename Step>
void NamingFile(const std::string& path, Step&& step) {
    try {
        step();
    } catch (const Error& e) {
        throw Error(path, e.what());
    }
}

// A header whose pixels the file could never hold would cost memory and time
// far beyond the file's size (a few bytes claiming 30000 x 30000 pixels).
void CheckClaimFitsFile(const BmpFileHeader& header) {
    const BitmapInfoHeader& info = header.Info.Header;
    // Sides of at most 2^15 (checked by ParseBmpHeader) and at most 32 bits a
    // pixel keep every product here below 2^37.
    const std::uint64_t width = static_cast<std::uint32_t>(info.biWidth);
    const std::uint64_t rows = static_cast<std::uint64_t>(std::abs(std::int64_t{info.biHeight}));
    const std::uint64_t claimed = (width * info.biBitCount + 31) / 32 * 4 * rows;
    const bool runLength = IsRunLength(info.biCompression);
    if (claimed <= (runLength ? kLargestUncheckedRunLengthClaim : kLargestUncheckedClaim)) return;
    const std::string picture = std::to_string(width) + " x " + std::to_string(rows) + " pixels";
    if (runLength) {
        const std::uint64_t data =
            std::min<std::uint64_t>(header.DeclaredFileSize, header.FileSize) - header.PixelOffset;
        if (width * rows > data * kMostPixelsPerRunLengthByte) {
            throw Error("the header claims " + picture + ", more than " +
                              std::to_string(data) + " bytes of run-length data can describe");
        }
    } else if (header.FileSize - header.PixelOffset < claimed / kLeastPresentShare) {
        throw Error("the header claims " + picture + " (" + std::to_string(claimed) +
                          " bytes), but the file holds only " +
                          std::to_string(header.FileSize - header.PixelOffset) +
                          " bytes of pixels");
    }
}

BmpFileHeader ReadHeaderOf(InputFile& file, const std::string& path) {
    std::vector<std::uint8_t> workArea(std::min<std::uint64_t>(file.Size(), kWorkAreaSize));
    file.ReadAt(0, workArea);
    BmpFileHeader header;
    NamingFile(path, [&] { header.PixelOffset = ParseBmpHeader(workArea, header.Info); });
    header.DeclaredFileSize = ReadU32(workArea, 2);  // ParseBmpHeader saw the whole file header
    header.FileSize = file.Size();
    if (header.PixelOffset > header.FileSize) {
        throw Error(
            path, "the pixel data would start at byte " + std::to_string(header.PixelOffset) +
                      ", beyond the end of the " + std::to_string(header.FileSize) + "-byte file");
    }
    NamingFile(path, [&] { CheckClaimFitsFile(header); });
    return header;
}

std::size_t PaletteBytes(const BitmapInfoHeader& header) {
    // A count from a copied picture may exceed the 256 entries the table holds.
    if (header.biClrUsed != 0) return 4 * std::min<std::size_t>(header.biClrUsed, 256);
    if (header.biCompression == BI_BITFIELDS) return kMaskBytes;
    if (header.biBitCount <= 8) return std::size_t{4} << header.biBitCount;
    return 0;
}

void PutU16(std::uint8_t* at, std::uint16_t value) { std::memcpy(at, &value, sizeof value); }
void PutU32(std::uint8_t* at, std::uint32_t value) { std::memcpy(at, &value, sizeof value); }

}  // namespace

std::uint32_t ParseBmpHeader(std::span<const std::uint8_t> fileStart, BitmapInfo& info) {
    if (fileStart.size() < kFileHeaderSize + 4) throw Error("the file header is cut short");
    if (fileStart[0] != 'B' || fileStart[1] != 'M') {
        throw Error("not a BMP file (no \"BM\" signature)");
    }
    const std::uint32_t headerSize = ReadU32(fileStart, kFileHeaderSize);
    if (!IsAcceptedHeaderSize(headerSize)) {
        throw Error("an information header of " + std::to_string(headerSize) +
                          " bytes is not supported");
    }
    if (fileStart.size() < kFileHeaderSize + headerSize) {
        throw Error("the information header is cut short");
    }

    info = BitmapInfo{};
    BitmapInfoHeader& header = info.Header;
    const std::size_t tableOffset = kFileHeaderSize + headerSize;
    if (headerSize == kCoreHeaderSize) {
        header.biSize = kCoreHeaderSize;
        header.biWidth = ReadU16(fileStart, 18);  // 16-bit sizes widen without sign
        header.biHeight = ReadU16(fileStart, 20);
        header.biBitCount = ReadU16(fileStart, 24);
        CheckFormat(header);
        if (header.biBitCount <= 8) {
            ReadColourTable(fileStart, tableOffset, 3, std::size_t{1} << header.biBitCount,
                            info.Colours);
        }
    } else {
        std::memcpy(&header, fileStart.data() + kFileHeaderSize, sizeof header);
        CheckFormat(header);
        // 256 entries whatever biClrUsed says; a picture with fewer colours
        // only ever uses its own.
        ReadColourTable(fileStart, tableOffset, 4, 256, info.Colours);
    }
    if (HasBitFields(header)) ReadMasks(fileStart, info);

    const std::uint32_t pixelOffset = ReadU32(fileStart, 10);
    const std::uint32_t declaredSize = ReadU32(fileStart, 2);
    if (IsRunLength(header.biCompression) && declaredSize < pixelOffset) {
        throw Error("the run-length data ends (bfSize " + std::to_string(declaredSize) +
                          ") before it starts (bfOffBits " + std::to_string(pixelOffset) + ")");
    }
    return pixelOffset;
}

BmpFileHeader ReadBmpHeader(const std::string& path) {
    InputFile file(path);
    return ReadHeaderOf(file, path);
}

namespace {

// Reads out from the file at offset, in up to `threads` parts side by side
// when it is large: most of the time goes to the fresh pages the bytes land
// in, which each reading thread fills for itself.
void ReadInParts(const InputFile& file, std::uint64_t offset, std::span<std::uint8_t> out, int threads) {
    constexpr std::size_t kSmallestPart = std::size_t{8} << 20;
    const std::size_t parts = std::clamp<std::size_t>(out.size() / kSmallestPart, 1, static_cast<std::size_t>(std::max(threads, 1)));
    if (parts == 1) return file.ReadAt(offset, out);
    const std::size_t part = out.size() / parts;
    std::vector<std::future<void>> others;
    for (std::size_t k = 1; k < parts; ++k) {
        const std::size_t first = k * part, size = k + 1 == parts ? out.size() - first : part;
        others.push_back(std::async(std::launch::async, [&file, offset, out, first, size] {
            file.ReadAt(offset + first, out.subspan(first, size));
        }));
    }
    file.ReadAt(offset, out.first(part));
    for (std::future<void>& other : others) other.get();
}

}  // namespace

void TDibBuffer::ReadBmpFile(const std::string& path, int threads) {
    InputFile file(path);
    const BmpFileHeader header = ReadHeaderOf(file, path);
    const std::uint8_t* const earlierPixels = PixelData();
    NamingFile(path, [&] { AllocateFromInfo(header.Info); });

    // Fresh pixel memory is zero. Memory kept from an earlier picture of the
    // same format still holds that picture: every byte the file does not give
    // is cleared there. Fresh memory is left untouched, so a large picture
    // costs only the pages the file fills. The buffer takes new memory before
    // it frees the old, so an unchanged address means kept memory.
    std::uint8_t* const pixels = PixelData();
    const std::size_t pixelBytes = PixelBytes();
    const bool reused = pixels == earlierPixels;
    const std::uint32_t compression = header.Info.Header.biCompression;
    if (IsRunLength(compression)) {
        // Run-length data ends at bfSize or at the end of the file, whichever
        // comes first; both lie at or after the pixel offset (checked above).
        const std::uint64_t end = std::min<std::uint64_t>(header.DeclaredFileSize, header.FileSize);
        std::vector<std::uint8_t> data(end - header.PixelOffset);
        file.ReadAt(header.PixelOffset, data);
        if (reused) std::memset(pixels, 0, pixelBytes);
        if (compression == BI_RLE8) {
            DecodeRle8(data);
        } else {
            DecodeRle4(data);
        }
        return;
    }
    // The file's own biSizeImage plays no part: the buffer's row size rules.
    const std::size_t count =
        std::min<std::uint64_t>(pixelBytes, header.FileSize - header.PixelOffset);
    ReadInParts(file, header.PixelOffset, {pixels, count}, threads);
    if (reused) std::memset(pixels + count, 0, pixelBytes - count);
}

void TDibBuffer::WriteBmpFile(const std::string& path, const CancelFlag* cancel) const {
    if (IsEmpty()) throw Error(path, "there is no picture to write");
    const std::size_t paletteBytes = PaletteBytes(info_.Header);
    const std::size_t pixelOffset = kFileHeaderSize + kInfoHeaderSize + paletteBytes;
    const std::uint64_t fileSize = pixelOffset + std::uint64_t{PixelBytes()};
    if (fileSize > std::numeric_limits<std::uint32_t>::max()) {
        throw Error(path, "a picture of " + std::to_string(PixelBytes()) +
                                    " bytes is too big for a BMP file");
    }

    std::vector<std::uint8_t> head(pixelOffset);
    head[0] = 'B';
    head[1] = 'M';
    PutU32(&head[2], static_cast<std::uint32_t>(fileSize));
    PutU16(&head[6], 0);
    PutU16(&head[8], 0);
    PutU32(&head[10], static_cast<std::uint32_t>(pixelOffset));
    // The header with the buffer's own values, then the colour table or masks.
    std::memcpy(&head[kFileHeaderSize], &info_, kInfoHeaderSize + paletteBytes);

    WriteFileAtomically(path, {head, {PixelData(), PixelBytes()}}, cancel);
}

}  // namespace orvalis
