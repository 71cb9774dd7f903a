#include "io/GdalClaims.h"

#include <algorithm>

#include "files/Error.h"

namespace orvalis {

namespace {

// Data stored as they are expand at most this much over the file (a file
// cut short is read as far as it goes), so a small file cannot make us
// allocate a huge picture. Pictures below kSmallPicture bytes are always
// allowed.
constexpr std::uint64_t kLargestExpansion = 1100;
constexpr std::uint64_t kSmallPicture = std::uint64_t{16} << 20;

bool FitsStored(std::uint64_t bytes, std::uint64_t fileSize) {
    return bytes <= kSmallPicture || bytes / kLargestExpansion <= fileSize;
}

}  // namespace

bool ClaimFits(Storage storage, const RasterSamples& s, int sampleBytes, std::uint64_t fileSize) {
    // Sides <= 2^22 (CheckWorldSize), at most 4 channels of at most 16
    // bytes: below 2^50.
    const std::uint64_t pixels = static_cast<std::uint64_t>(s.Width) * s.Rows;
    const std::uint64_t bytes = pixels * s.Channels * sampleBytes;
    return storage == Storage::Compressed ||
           (storage == Storage::Text ? pixels <= fileSize : FitsStored(bytes, fileSize));
}

void CheckBlockClaims(const std::string& path, Storage storage, const RasterSamples& s, std::int64_t blockWidth,
                      std::int64_t blockRows, int sampleBytes, std::uint64_t fileSize) {
    if (blockWidth < 1 || blockRows < 1 || blockWidth > std::max(TDibBuffer::kMaxDimension, s.Width) ||
        blockRows > std::max(TDibBuffer::kMaxDimension, s.Rows) ||
        (storage == Storage::Stored &&
         !FitsStored(static_cast<std::uint64_t>(blockWidth * blockRows) * sampleBytes, fileSize))) {
        throw Error(path, "claims blocks of " + std::to_string(blockWidth) + " x " +
                              std::to_string(blockRows) + " pixels, more than its " +
                              std::to_string(fileSize) + " bytes can hold");
    }
}

}  // namespace orvalis
