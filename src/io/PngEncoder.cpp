#include "io/PngEncoder.h"

#include <libdeflate.h>

#include <algorithm>
#include <iterator>
#include <span>
#include <string_view>

#include "io/PngRowFilter.h"
#include "io/ZlibBands.h"

namespace orvalis {

namespace {

// Bands of about this many filtered bytes deflate nearly as well as the
// whole picture would and leave work for many threads.
constexpr std::size_t kBandBytes = std::size_t{1} << 20;

constexpr std::uint8_t kSignature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

struct CompressionSettings {
    DeflateEffort Effort;
    PngFilterChoice Filter;
};

CompressionSettings SettingsOf(PngCompression compression) {
    switch (compression) {
        case PngCompression::Fast: return {{1, true}, PngFilterChoice::Up};
        case PngCompression::Default: return {{6, false}, PngFilterChoice::BestOfFive};
        case PngCompression::Best: return {{9, false}, PngFilterChoice::BestOfFive};
    }
    return {{1, true}, PngFilterChoice::Up};
}

void AppendWord(std::vector<std::uint8_t>& out, std::uint32_t word) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<std::uint8_t>(word >> shift));
}

// Length, type, data, and the CRC of the type and the data.
void AppendChunk(std::vector<std::uint8_t>& file, std::string_view type,
                 std::span<const std::uint8_t> data) {
    AppendWord(file, static_cast<std::uint32_t>(data.size()));
    const std::size_t start = file.size();
    file.insert(file.end(), type.begin(), type.end());
    file.insert(file.end(), data.begin(), data.end());
    AppendWord(file, libdeflate_crc32(0, file.data() + start, file.size() - start));
}

std::vector<std::uint8_t> HeaderChunk(const PngLayout& layout) {
    // Grey, grey and alpha, red-green-blue, red-green-blue and alpha.
    constexpr std::uint8_t kColourTypes[] = {0, 4, 2, 6};
    std::vector<std::uint8_t> header;
    AppendWord(header, static_cast<std::uint32_t>(layout.Width));
    AppendWord(header, static_cast<std::uint32_t>(layout.Rows));
    header.insert(header.end(), {static_cast<std::uint8_t>(8 * layout.SampleBytes),
                                 kColourTypes[layout.Channels - 1],
                                 0,    // deflate
                                 0,    // a filter type per row
                                 0});  // not interlaced
    return header;
}

// The filtered rows [first, end) one after another in `bytes`.
void FilterRows(const PngLayout& layout, const PngRowSource& rows, PngFilterChoice choice,
                std::int32_t first, std::int32_t end, std::vector<std::uint8_t>& bytes) {
    const std::size_t rowBytes = layout.RowBytes();
    const auto pixelBytes = static_cast<std::size_t>(layout.Channels * layout.SampleBytes);
    bytes.resize((rowBytes + 1) * static_cast<std::size_t>(end - first));
    // A row and the one above it in hand, in alternate halves.
    std::vector<std::uint8_t> scratch(2 * rowBytes);
    const auto slot = [&](std::int32_t y) { return scratch.data() + (y & 1) * rowBytes; };
    const std::uint8_t* above = first == 0 ? nullptr : rows(first - 1, slot(first - 1));
    std::uint8_t* out = bytes.data();
    for (std::int32_t y = first; y < end; ++y) {
        const std::uint8_t* row = rows(y, slot(y));
        FilterPngRow(choice, row, above, rowBytes, pixelBytes, out);
        out += rowBytes + 1;
        above = row;
    }
}

// The file around the pieces of the zlib stream, one IDAT chunk each. A
// piece goes once it is copied, so that the file and the pieces are seldom
// both whole in memory.
std::vector<std::uint8_t> FileOf(const PngLayout& layout, std::vector<std::vector<std::uint8_t>>& stream) {
    constexpr std::size_t kChunkFrame = 12;  // length, type, CRC
    std::size_t size = std::size(kSignature) + kChunkFrame + 13 + kChunkFrame;  // IHDR, IEND
    for (const std::vector<std::uint8_t>& piece : stream) size += piece.size() + kChunkFrame;
    std::vector<std::uint8_t> file;
    file.reserve(size);
    file.assign(std::begin(kSignature), std::end(kSignature));
    AppendChunk(file, "IHDR", HeaderChunk(layout));
    for (std::vector<std::uint8_t>& piece : stream) {
        AppendChunk(file, "IDAT", piece);
        piece = std::vector<std::uint8_t>();
    }
    AppendChunk(file, "IEND", {});
    return file;
}

}  // namespace

std::int32_t PngBandRows(const PngLayout& layout) {
    // A row is at least two bytes, so this is at most half kBandBytes.
    return static_cast<std::int32_t>(std::max<std::size_t>(kBandBytes / (layout.RowBytes() + 1), 1));
}

std::vector<std::uint8_t> EncodePng(const PngLayout& layout, const PngRowSource& rows,
                                    const PngWriting& writing) {
    const CompressionSettings settings = SettingsOf(writing.Compression);
    const std::int64_t bandRows = PngBandRows(layout);
    const auto bandCount = static_cast<std::int32_t>((layout.Rows + bandRows - 1) / bandRows);
    RunOptions run;
    run.Threads = writing.Threads;
    run.Cancel = writing.Cancel;
    std::vector<std::vector<std::uint8_t>> stream = DeflateBands(
        bandCount,
        [&](std::int32_t band, std::vector<std::uint8_t>& bytes) {
            const std::int64_t first = band * bandRows;
            const std::int64_t end = std::min<std::int64_t>(layout.Rows, first + bandRows);
            FilterRows(layout, rows, settings.Filter, static_cast<std::int32_t>(first),
                       static_cast<std::int32_t>(end), bytes);
        },
        settings.Effort, run);
    return FileOf(layout, stream);
}

}  // namespace orvalis
