#include "raster/BmpFile.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <initializer_list>
#include <limits>
#include <random>
#include <span>
#include <string>
#include <vector>

#include "raster/AtomicFile.h"
#include "raster/DibBuffer.h"
#include "raster/RasterError.h"

namespace orvalis {

namespace {

constexpr std::size_t kColourTableBytes = sizeof(BitmapInfo::Colours);  // 256 entries
// The reader's one look at the start of a file: the file header, the largest
// information header and a whole colour table.
constexpr std::size_t kWorkAreaSize = kFileHeaderSize + kLargestHeaderSize + kColourTableBytes;
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

std::string SystemReason() { return std::strerror(errno); }

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
        throw RasterError(std::to_string(bits) + " bits per pixel are not supported");
    }
    if (header.biCompression > BI_BITFIELDS) {
        throw RasterError("compression " + std::to_string(header.biCompression) +
                          " is not supported");
    }
    if (header.biCompression == BI_RLE8 && bits != 8) {
        throw RasterError("RLE8 compression needs 8 bits per pixel, not " + std::to_string(bits));
    }
    if (header.biCompression == BI_RLE4 && bits != 4) {
        throw RasterError("RLE4 compression needs 4 bits per pixel, not " + std::to_string(bits));
    }
    const std::int64_t width = header.biWidth;
    // 64 bits: -2^31 has no 32-bit opposite.
    const std::int64_t rows = std::abs(std::int64_t{header.biHeight});
    if (width <= 0 || rows == 0 || width > TDibBuffer::kMaxDimension ||
        rows > TDibBuffer::kMaxDimension) {
        throw RasterError("a picture of " + std::to_string(header.biWidth) + " x " +
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
        throw RasterError("the bit-field masks are cut short");
    }
    for (const int channel : {kRedMask, kGreenMask, kBlueMask}) {
        const std::uint32_t mask = ReadU32(fileStart, kMaskOffset + 4 * channel);
        if (mask == 0) throw RasterError("a bit-field mask is zero");
        info.SetMask(channel, mask);
    }
}

// Runs a step that knows nothing of the file and names the file in its errors.
template <typename Step>
void NamingFile(const std::string& path, Step&& step) {
    try {
        step();
    } catch (const RasterError& e) {
        throw RasterError(path, e.what());
    }
}

// A file open for reading, closed when it goes out of scope.
class InputFile {
public:
    explicit InputFile(const std::string& path) : path_(path) {
        file_ = std::fopen(path.c_str(), "rb");
        if (!file_) {
            if (errno == ENOENT || errno == ENOTDIR) {
                throw RasterError(path, "Datei nicht gefunden");
            }
            throw RasterError(path, "cannot be opened (" + SystemReason() + ")");
        }
        std::error_code ignored;
        if (std::filesystem::is_directory(path, ignored)) {
            std::fclose(file_);
            throw RasterError(path, "is a folder, not a file");
        }
        long size = -1;
        if (std::fseek(file_, 0, SEEK_END) == 0) size = std::ftell(file_);
        if (size < 0) {
            const std::string reason = SystemReason();
            std::fclose(file_);
            throw RasterError(path, "cannot be read (" + reason + ")");
        }
        size_ = static_cast<std::uint64_t>(size);
    }
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;
    ~InputFile() { std::fclose(file_); }

    std::uint64_t Size() const { return size_; }

    // The caller keeps offset + out.size() within Size(); a file that has
    // shrunk since it was opened is a read error.
    void ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) {
        if (out.empty()) return;
        if (std::fseek(file_, static_cast<long>(offset), SEEK_SET) != 0 ||
            std::fread(out.data(), 1, out.size(), file_) != out.size()) {
            throw RasterError(path_, std::ferror(file_) ? "cannot be read (" + SystemReason() + ")"
                                                        : "ended while it was being read");
        }
    }

private:
    std::string path_;
    std::FILE* file_ = nullptr;
    std::uint64_t size_ = 0;
};

BmpFileHeader ReadHeaderOf(InputFile& file, const std::string& path) {
    std::vector<std::uint8_t> workArea(std::min<std::uint64_t>(file.Size(), kWorkAreaSize));
    file.ReadAt(0, workArea);
    BmpFileHeader header;
    NamingFile(path, [&] { header.PixelOffset = ParseBmpHeader(workArea, header.Info); });
    header.DeclaredFileSize = ReadU32(workArea, 2);  // ParseBmpHeader saw the whole file header
    header.FileSize = file.Size();
    if (header.PixelOffset > header.FileSize) {
        throw RasterError(
            path, "the pixel data would start at byte " + std::to_string(header.PixelOffset) +
                      ", beyond the end of the " + std::to_string(header.FileSize) + "-byte file");
    }
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

// A name beside the target that no other writer picks.
std::string TemporaryNameFor(const std::string& path) {
    char suffix[32];
    std::snprintf(suffix, sizeof suffix, ".%08x.tmp", std::random_device{}());
    return path + suffix;
}

}  // namespace

void WriteFileAtomically(const std::string& path,
                         std::initializer_list<std::span<const std::uint8_t>> parts) {
    const std::string temporary = TemporaryNameFor(path);
    std::FILE* file = std::fopen(temporary.c_str(), "wbx");
    if (!file) throw RasterError(path, "cannot be written (" + SystemReason() + ")");
    std::string failure;  // the first thing that went wrong, if anything did
    const auto noteFailure = [&failure] {
        if (failure.empty()) failure = "writing failed (" + SystemReason() + ")";
    };
    for (const auto part : parts) {
        if (failure.empty() && std::fwrite(part.data(), 1, part.size(), file) != part.size()) {
            noteFailure();
        }
    }
    if (std::fflush(file) != 0) noteFailure();
    if (std::fclose(file) != 0) noteFailure();
    if (failure.empty()) {
        if (std::rename(temporary.c_str(), path.c_str()) == 0) return;
        failure = "cannot be replaced (" + SystemReason() + ")";
    }
    std::remove(temporary.c_str());
    throw RasterError(path, failure);
}

std::uint32_t ParseBmpHeader(std::span<const std::uint8_t> fileStart, BitmapInfo& info) {
    if (fileStart.size() < kFileHeaderSize + 4) throw RasterError("the file header is cut short");
    if (fileStart[0] != 'B' || fileStart[1] != 'M') {
        throw RasterError("not a BMP file (no \"BM\" signature)");
    }
    const std::uint32_t headerSize = ReadU32(fileStart, kFileHeaderSize);
    if (!IsAcceptedHeaderSize(headerSize)) {
        throw RasterError("an information header of " + std::to_string(headerSize) +
                          " bytes is not supported");
    }
    if (fileStart.size() < kFileHeaderSize + headerSize) {
        throw RasterError("the information header is cut short");
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
        throw RasterError("the run-length data ends (bfSize " + std::to_string(declaredSize) +
                          ") before it starts (bfOffBits " + std::to_string(pixelOffset) + ")");
    }
    return pixelOffset;
}

BmpFileHeader ReadBmpHeader(const std::string& path) {
    InputFile file(path);
    return ReadHeaderOf(file, path);
}

void TDibBuffer::ReadBmpFile(const std::string& path) {
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
    file.ReadAt(header.PixelOffset, {pixels, count});
    if (reused) std::memset(pixels + count, 0, pixelBytes - count);
}

void TDibBuffer::WriteBmpFile(const std::string& path) const {
    if (IsEmpty()) throw RasterError(path, "there is no picture to write");
    const std::size_t paletteBytes = PaletteBytes(info_.Header);
    const std::size_t pixelOffset = kFileHeaderSize + kInfoHeaderSize + paletteBytes;
    const std::uint64_t fileSize = pixelOffset + std::uint64_t{PixelBytes()};
    if (fileSize > std::numeric_limits<std::uint32_t>::max()) {
        throw RasterError(path, "a picture of " + std::to_string(PixelBytes()) +
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

    WriteFileAtomically(path, {head, {PixelData(), PixelBytes()}});
}

}  // namespace orvalis
