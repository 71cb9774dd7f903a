#pragma once

#include <cstdint>
#include <span>
#include <sstream>
#include <string>
#include <vector>

#include "raster/DibBuffer.h"

namespace orvalis::test {

// The bytes behind one pinned hash, kept block by block (a picture, a
// normal map, a row of answers), so that a hash that differs can be traced
// to the block and the pixel that changed.
class PinnedBytes {
public:
    struct Block {
        std::string What;  // e.g. "lightmap, light direction 45"
        std::int32_t RowBytes = 0;  // from one stored row to the next
        int PixelBytes = 1;
        bool IsPicture = false;
        bool BottomUp = false;  // a picture's stored rows count up from its bottom
        std::vector<std::uint8_t> Bytes;
    };

    // A picture as stored, padding included.
    void Add(std::string what, const TDibBuffer& picture) {
        const auto* data = picture.PixelData();
        blocks_.push_back({std::move(what), picture.BytesPerRow(), picture.BitsPerPixel() / 8, true, !picture.IsTopDown(),
                           std::vector<std::uint8_t>(data, data + picture.PixelBytes())});
    }
    // Entries of entryBytes bytes, `width` to a row.
    void Add(std::string what, std::span<const std::uint8_t> bytes, std::int32_t width, int entryBytes) {
        blocks_.push_back({std::move(what), width * entryBytes, entryBytes, false, false, {bytes.begin(), bytes.end()}});
    }

    // FNV-1a of every byte, block after block.
    std::uint64_t Hash() const {
        std::uint64_t hash = 0xcbf29ce484222325u;
        for (const Block& block : blocks_) {
            for (const std::uint8_t b : block.Bytes) hash = (hash ^ b) * 0x100000001b3u;
        }
        return hash;
    }
    const std::vector<Block>& Blocks() const { return blocks_; }

private:
    std::vector<Block> blocks_;
};

// Where `actual` first differs from `plain`: the block, the pixel (column,
// row from the top) or entry (column, row as stored) and both values, byte
// by byte; empty when they agree.
inline std::string FirstDifference(const PinnedBytes& actual, const PinnedBytes& plain) {
    const auto& a = actual.Blocks();
    const auto& p = plain.Blocks();
    for (std::size_t i = 0; i < a.size() && i < p.size(); ++i) {
        if (a[i].Bytes == p[i].Bytes) continue;
        std::ostringstream text;
        text << a[i].What << ": ";
        if (a[i].Bytes.size() != p[i].Bytes.size() || a[i].RowBytes == 0) {
            text << a[i].Bytes.size() << " bytes, the plain path's " << p[i].Bytes.size();
            return text.str();
        }
        std::size_t at = 0;
        while (a[i].Bytes[at] == p[i].Bytes[at]) ++at;
        const std::size_t storedRow = at / a[i].RowBytes, rows = a[i].Bytes.size() / a[i].RowBytes;
        const std::size_t column = at % a[i].RowBytes / a[i].PixelBytes;
        const std::size_t first = storedRow * a[i].RowBytes + column * a[i].PixelBytes;
        const auto pixel = [&](const std::vector<std::uint8_t>& bytes) {
            std::string values;
            for (int b = 0; b < a[i].PixelBytes && first + b < bytes.size(); ++b) {
                if (b > 0) values += ' ';
                values += std::to_string(bytes[first + b]);
            }
            return values;
        };
        text << (a[i].IsPicture ? "pixel (" : "entry (") << column << ", "
             << (a[i].BottomUp ? rows - 1 - storedRow : storedRow) << (a[i].IsPicture ? ") from the top left" : ")")
             << " is " << pixel(a[i].Bytes) << ", the plain path's " << pixel(p[i].Bytes);
        return text.str();
    }
    if (a.size() != p.size()) return std::to_string(a.size()) + " blocks, the plain path's " + std::to_string(p.size());
    return {};
}

}  // namespace orvalis::test
