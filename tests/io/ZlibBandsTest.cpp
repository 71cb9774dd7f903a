#include <zlib.h>

#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "io/ZlibBands.h"

namespace orvalis {
namespace {

// Band b: runs that deflate well and bytes that do not, unlike every other band.
std::vector<std::uint8_t> BandOf(std::int32_t b, std::size_t length) {
    std::vector<std::uint8_t> bytes(length);
    for (std::size_t i = 0; i < length; ++i) {
        const auto n = static_cast<std::uint32_t>(i + 7919 * b);
        bytes[i] = static_cast<std::uint8_t>(i % 512 < 256 ? n / 64 : (n * 2654435761u) >> 24);
    }
    return bytes;
}

std::vector<std::uint8_t> Joined(const std::vector<std::vector<std::uint8_t>>& pieces) {
    std::vector<std::uint8_t> stream;
    for (const auto& piece : pieces) stream.insert(stream.end(), piece.begin(), piece.end());
    return stream;
}

std::vector<std::vector<std::uint8_t>> Deflated(const std::vector<std::size_t>& lengths,
                                                const DeflateEffort& effort, int threads) {
    RunOptions run;
    run.Threads = threads;
    return DeflateBands(
        static_cast<std::int32_t>(lengths.size()),
        [&](std::int32_t b, std::vector<std::uint8_t>& bytes) { bytes = BandOf(b, lengths[b]); }, effort,
        run);
}

// zlib's own inflate, which checks the header and the Adler-32 of every
// byte, reads the joined pieces as the bands one after another; the
// header names the level, and the thread count changes nothing.
TEST(ZlibBandsTest, ThePiecesJoinIntoOneStreamOfTheBands) {
    const struct {
        const char* Name;
        std::vector<std::size_t> Lengths;
        DeflateEffort Effort;
        int HeaderLevel;  // the header's FLEVEL, as zlib sets it
    } cases[] = {
        {"one band", {1000}, {1, false}, 0},
        {"bands of one byte", {1, 1, 1}, {6, false}, 2},
        {"an empty band between", {500, 0, 700}, {9, false}, 3},
        {"an empty last band", {300, 0}, {4, false}, 1},
        {"bands longer than the window", {100000, 70000, 40000}, {6, false}, 2},
        {"more bands than threads", std::vector<std::size_t>(9, 4096), {1, true}, 0},
        {"runs only at a high level", {5000, 3000}, {6, true}, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        const auto pieces = Deflated(c.Lengths, c.Effort, 1);
        ASSERT_EQ(pieces.size(), c.Lengths.size());
        const std::vector<std::uint8_t> stream = Joined(pieces);
        EXPECT_EQ(stream[0], 0x78);
        EXPECT_EQ(stream[1] >> 6, c.HeaderLevel);
        std::vector<std::uint8_t> expected;
        for (std::size_t b = 0; b < c.Lengths.size(); ++b) {
            const auto band = BandOf(static_cast<std::int32_t>(b), c.Lengths[b]);
            expected.insert(expected.end(), band.begin(), band.end());
        }
        std::vector<std::uint8_t> inflated(expected.size() + 1);
        uLongf length = inflated.size();
        ASSERT_EQ(uncompress(inflated.data(), &length, stream.data(), stream.size()), Z_OK);
        inflated.resize(length);
        EXPECT_EQ(inflated, expected);
        for (const int threads : {2, 3}) EXPECT_EQ(Deflated(c.Lengths, c.Effort, threads), pieces) << threads;
    }
}

// The flag is seen between bands: a stop asked for while one band is being
// made ends the work once that band is done.
TEST(ZlibBandsTest, ACancelStopsBetweenBands) {
    for (const int threads : {1, 2}) {
        CancelFlag cancel{false};
        RunOptions run;
        run.Threads = threads;
        run.Cancel = &cancel;
        int filledAfterStop = 0;
        const auto fill = [&](std::int32_t b, std::vector<std::uint8_t>& bytes) {
            if (cancel) ++filledAfterStop;
            if (b == 2) cancel = true;
            bytes = BandOf(b, 1000);
        };
        EXPECT_THROW(DeflateBands(40, fill, {1, true}, run), RunCancelled) << threads;
        EXPECT_LE(filledAfterStop, threads - 1) << threads;
    }
}

}  // namespace
}  // namespace orvalis
