#include "io/ZlibBands.h"

#include <libdeflate.h>
#define ZLIB_CONST
#include <zlib.h>

#include <algorithm>
#include <new>
#include <span>
#include <stdexcept>
#include <string>

#include "raster/ParallelRows.h"

namespace orvalis {

namespace {

constexpr int kWindowBits = 15;  // the 32 KiB window a zlib header of 0x78 announces
constexpr int kMemoryLevel = 8;  // zlib's own default
// What a sync flush adds beyond deflateBound: an empty stored block.
constexpr std::size_t kFlushBytes = 8;

// A raw deflate stream (no header, no checksum), reset for every band.
class RawDeflater {
public:
    explicit RawDeflater(const DeflateEffort& effort) {
        // Any repeat: the strategy for filtered rows of pictures, mostly
        // small numbers, as PNG writers find; levels 1 to 3 ignore it.
        const int strategy = effort.RunsOnly ? Z_RLE : Z_FILTERED;
        const int status =
            deflateInit2(&stream_, effort.Level, Z_DEFLATED, -kWindowBits, kMemoryLevel, strategy);
        if (status == Z_MEM_ERROR) throw std::bad_alloc();
        if (status != Z_OK) throw std::invalid_argument("zlib refuses the level " + std::to_string(effort.Level));
    }
    RawDeflater(const RawDeflater&) = delete;
    RawDeflater& operator=(const RawDeflater&) = delete;
    ~RawDeflater() { deflateEnd(&stream_); }

    // The bytes deflated on their own, ended by a sync flush or, for the
    // last band, by the final block.
    std::vector<std::uint8_t> Deflate(std::span<const std::uint8_t> bytes, bool last) {
        deflateReset(&stream_);
        const int flush = last ? Z_FINISH : Z_SYNC_FLUSH;
        out_.resize(std::max<std::size_t>(out_.size(), deflateBound(&stream_, bytes.size()) + kFlushBytes));
        stream_.next_in = bytes.data();
        stream_.avail_in = static_cast<uInt>(bytes.size());
        for (;;) {
            stream_.next_out = out_.data() + stream_.total_out;
            stream_.avail_out = static_cast<uInt>(out_.size() - stream_.total_out);
            const int status = deflate(&stream_, flush);
            // zlib is done when the stream has ended, or for a flush when it
            // has taken every byte and left output space unused; else it
            // must have run out of space.
            if (last ? status == Z_STREAM_END : stream_.avail_in == 0 && stream_.avail_out != 0) break;
            if (stream_.avail_out != 0) throw std::logic_error("zlib stopped deflating a band");
            out_.resize(out_.size() * 2);
        }
        return {out_.begin(), out_.begin() + static_cast<std::ptrdiff_t>(stream_.total_out)};
    }

private:
    z_stream stream_{};
    // Room for any band's stream, kept from band to band: fresh pages for
    // every band cost more than the copy out of it.
    std::vector<std::uint8_t> out_;
};

// Computed on a worker thread for one band.
struct DeflatedBand {
    std::vector<std::uint8_t> Bytes;
    std::uint32_t Adler = 0;
    std::size_t Length = 0;  // of the band's bytes before deflating
};

// The two bytes before the deflate data: the method and window, the effort
// as zlib's FLEVEL names it, and a check that makes the pair a multiple of 31.
std::vector<std::uint8_t> ZlibHeader(const DeflateEffort& effort) {
    const int method = 0x78;
    const int level = effort.Level;
    const int flevel = effort.RunsOnly || level < 2 ? 0 : level < 6 ? 1 : level == 6 ? 2 : 3;
    int flags = flevel << 6;
    flags += 31 - (method * 256 + flags) % 31;
    return {static_cast<std::uint8_t>(method), static_cast<std::uint8_t>(flags)};
}

// The checksum of all bands, from each band's own (libdeflate's, several
// times as quick as zlib's).
void AppendAdler32(std::vector<std::uint8_t>& piece, const std::vector<DeflatedBand>& bands) {
    uLong adler = 1;  // of no bytes
    for (const DeflatedBand& band : bands) {
        adler = adler32_combine(adler, band.Adler, static_cast<z_off_t>(band.Length));
    }
    for (int shift = 24; shift >= 0; shift -= 8) piece.push_back(static_cast<std::uint8_t>(adler >> shift));
}

}  // namespace

std::vector<std::vector<std::uint8_t>> DeflateBands(std::int32_t bandCount, const BandFiller& fill,
                                                    const DeflateEffort& effort, const RunOptions& run) {
    if (bandCount < 1) throw std::invalid_argument("a zlib stream of bands needs a band");
    std::vector<DeflatedBand> bands(static_cast<std::size_t>(bandCount));
    RunOptions workers = run;
    workers.Progress = {};  // so the stage named below is never reported
    ParallelRowBands(bandCount, workers, SynthesisStage::Blend,
                     [&](std::int32_t first, std::int32_t end, RowTally& tally) {
                         RawDeflater deflater(effort);
                         std::vector<std::uint8_t> bytes;
                         for (std::int32_t b = first; b < end; ++b) {
                             fill(b, bytes);
                             DeflatedBand& band = bands[static_cast<std::size_t>(b)];
                             band.Adler = libdeflate_adler32(1, bytes.data(), bytes.size());
                             band.Length = bytes.size();
                             band.Bytes = deflater.Deflate(bytes, b == bandCount - 1);
                             tally.RowDone();
                         }
                     });
    const std::vector<std::uint8_t> header = ZlibHeader(effort);
    bands.front().Bytes.insert(bands.front().Bytes.begin(), header.begin(), header.end());
    std::vector<std::vector<std::uint8_t>> pieces;
    pieces.reserve(bands.size());
    for (DeflatedBand& band : bands) pieces.push_back(std::move(band.Bytes));
    AppendAdler32(pieces.back(), bands);
    return pieces;
}

}  // namespace orvalis
