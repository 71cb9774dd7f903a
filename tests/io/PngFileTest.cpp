#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "common/ErrorMessage.h"
#include "common/Files.h"
#include "common/GdalFiles.h"
#include "common/ScratchFolderTest.h"
#include "files/Error.h"
#include "io/PngFile.h"

namespace orvalis {
namespace {

namespace fs = std::filesystem;

constexpr PngCompression kCompressions[] = {PngCompression::Fast, PngCompression::Default,
                                            PngCompression::Best};

// A picture to write; its rows are FullBands bands of the encoder plus
// ExtraRows.
struct Shape {
    const char* Name;
    std::int32_t Width;
    int Channels;
    int SampleBytes;
    std::int32_t FullBands;
    std::int32_t ExtraRows;

    PngLayout Layout() const {
        PngLayout layout{Width, 1, Channels, SampleBytes};
        layout.Rows = FullBands * PngBandRows(layout) + ExtraRows;
        return layout;
    }
};

// Noisy rows between smooth ones, so that every filter has its turn; 16-bit
// samples whose two bytes differ; the lowest and highest values present.
std::vector<std::uint16_t> SamplesOf(const PngLayout& layout) {
    const std::uint32_t highest = layout.SampleBytes == 2 ? 65535 : 255;
    std::vector<std::uint16_t> samples;
    for (std::uint32_t y = 0; y < static_cast<std::uint32_t>(layout.Rows); ++y)
        for (std::uint32_t x = 0; x < static_cast<std::uint32_t>(layout.Width); ++x)
            for (std::uint32_t c = 0; c < static_cast<std::uint32_t>(layout.Channels); ++c) {
                const std::uint32_t noise = (x * 73856093u ^ y * 19349663u ^ c * 83492791u) >> 7;
                const std::uint32_t value = y % 3 == 0 ? noise : x * 3 + y * 5 + c * 40;
                samples.push_back(static_cast<std::uint16_t>(value * (highest == 255 ? 1 : 251) % (highest + 1)));
            }
    samples.back() = static_cast<std::uint16_t>(highest);
    return samples;
}

void Write(const std::string& path, const PngLayout& layout, const std::vector<std::uint16_t>& samples,
           const PngWriting& writing) {
    const PngPixels format{layout.Width, layout.Rows, layout.Channels};
    if (layout.SampleBytes == 2) {
        WritePngFile(path, format, samples, writing);
        return;
    }
    const std::vector<std::uint8_t> bytes(samples.begin(), samples.end());
    WritePngFile(path, format, bytes, writing);
}

// GDAL gives the bands one after another; the writer took them interleaved.
void ExpectSamples(const std::string& path, const PngLayout& layout, const std::vector<std::uint16_t>& samples) {
    const test::GdalPicture read = test::ReadWithGdal(path);
    ASSERT_EQ(read.Width, layout.Width);
    ASSERT_EQ(read.Rows, layout.Rows);
    ASSERT_EQ(read.Bands, layout.Channels);
    EXPECT_EQ(read.Type, layout.SampleBytes == 2 ? GDT_UInt16 : GDT_Byte);
    const std::size_t pixels = static_cast<std::size_t>(layout.Width) * layout.Rows;
    for (std::size_t i = 0; i < samples.size(); ++i) {
        const std::size_t pixel = i / layout.Channels, band = i % layout.Channels;
        ASSERT_EQ(read.Samples[band * pixels + pixel], samples[i]) << "pixel " << pixel << ", band " << band;
    }
}

using PngFileTest = test::ScratchFolderTest;

// Every depth and channel count, at sizes around the encoder's bands, reads
// back through GDAL's PNG reader (libpng, which checks every CRC and the
// Adler-32) with the samples written.
TEST_F(PngFileTest, EveryLayoutReadsBackWithItsSamples) {
    const Shape shapes[] = {
        {"1 x 1 grey", 1, 1, 1, 0, 1},
        {"1 x 1 grey and alpha", 1, 2, 1, 0, 1},
        {"1 x 1 RGB", 1, 3, 1, 0, 1},
        {"1 x 1 RGBA", 1, 4, 1, 0, 1},
        {"1 x 1 16-bit grey", 1, 1, 2, 0, 1},
        {"odd width RGB", 77, 3, 1, 0, 9},
        {"odd width 16-bit grey", 33, 1, 2, 0, 5},
        {"odd width 16-bit RGBA", 7, 4, 2, 0, 3},
        {"exactly one band, RGBA", 1001, 4, 1, 1, 0},
        {"a band and one row, RGB", 999, 3, 1, 1, 1},
        {"exactly two bands, 16-bit grey", 1203, 1, 2, 2, 0},
        {"two bands and a part, grey", 2049, 1, 1, 2, 17},
    };
    for (const Shape& shape : shapes) {
        const PngLayout layout = shape.Layout();
        const std::vector<std::uint16_t> samples = SamplesOf(layout);
        for (const PngCompression compression : kCompressions) {
            SCOPED_TRACE(std::string(shape.Name) + ", compression " + std::to_string(static_cast<int>(compression)));
            const std::string path = PathOf("out.png");
            Write(path, layout, samples, {compression, 2, nullptr});
            ExpectSamples(path, layout, samples);
        }
    }
}

// The picture writer turns the rows of any buffer, bottom-up or top-down,
// into the colours seen.
TEST_F(PngFileTest, PicturesAreWrittenAsTheyAreSeen) {
    for (const std::int32_t height : {5, -5}) {
        for (const int bits : {24, 32, 8}) {
            SCOPED_TRACE("height " + std::to_string(height) + ", " + std::to_string(bits) + " bits");
            TDibBuffer picture;
            picture.Allocate(3, height, bits);
            for (std::int32_t y = 0; y < 5; ++y)
                for (std::int32_t x = 0; x < 3; ++x) {
                    const auto v = static_cast<std::uint8_t>(40 * y + 7 * x);
                    picture.WritePixel(picture.BufferRow(y), x, MakeColour(v, v + 1, v + 2));
                }
            WritePngFile(PathOf("seen.png"), picture);
            std::vector<std::uint16_t> expected;
            for (std::int32_t y = 0; y < 5; ++y)
                for (std::int32_t x = 0; x < 3; ++x) {
                    const PixelColour c = picture.ReadPixel(picture.BufferRow(y), x);
                    expected.insert(expected.end(), {c.Red, c.Green, c.Blue});
                }
            ExpectSamples(PathOf("seen.png"), {3, 5, 3, 1}, expected);
        }
    }
}

// Bands have a fixed height, so the file is the same for any thread count.
TEST_F(PngFileTest, TheBytesAreTheSameForEveryThreadCount) {
    const PngLayout layout = Shape{"RGB of four bands", 640, 3, 1, 3, 100}.Layout();
    const std::vector<std::uint16_t> samples = SamplesOf(layout);
    for (const PngCompression compression : kCompressions) {
        SCOPED_TRACE(static_cast<int>(compression));
        Write(PathOf("one.png"), layout, samples, {compression, 1, nullptr});
        const auto one = test::ReadBytes<std::vector<std::uint8_t>>(PathOf("one.png"));
        for (const int threads : {2, 3}) {
            Write(PathOf("more.png"), layout, samples, {compression, threads, nullptr});
            EXPECT_EQ(test::ReadBytes<std::vector<std::uint8_t>>(PathOf("more.png")), one) << threads << " threads";
        }
    }
}

// A stop leaves the earlier file as it was and no staging file.
TEST_F(PngFileTest, ACancelledWriteLeavesTheEarlierFile) {
    test::WriteBytes(folder_ / "kept.png", "earlier");
    const PngLayout layout = Shape{"grey of three bands", 4000, 1, 1, 3, 0}.Layout();
    const std::vector<std::uint16_t> samples = SamplesOf(layout);
    CancelFlag cancel{true};
    EXPECT_THROW(Write(PathOf("kept.png"), layout, samples, {PngCompression::Fast, 2, &cancel}), RunCancelled);
    EXPECT_EQ(test::ReadBytes(folder_ / "kept.png"), "earlier");
    EXPECT_EQ(std::distance(fs::directory_iterator(folder_), fs::directory_iterator()), 1);
}

TEST_F(PngFileTest, BadTargetsAndShapesAreRefusedNamingTheFile) {
    const std::vector<std::uint8_t> samples(12, 7);
    const struct {
        const char* Name;
        std::string Path;
        PngPixels Format;
        const char* Problem;
    } cases[] = {
        {"no such folder", PathOf("none/out.png"), {2, 2, 3}, "cannot be written"},
        {"a folder in the way", folder_.string(), {2, 2, 3}, "cannot be"},
        {"five channels", PathOf("five.png"), {1, 2, 5}, "a PNG file holds 1 to 4 channels, not 5"},
        {"rows beyond a band", PathOf("wide.png"), {1 << 28, 1, 4}, "rows of 268435456 pixels are too long"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        const std::string message = test::MessageOf<Error>([&] { WritePngFile(c.Path, c.Format, samples); });
        EXPECT_EQ(message.rfind(c.Path + ": " + c.Problem, 0), 0u) << message;
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(folder_), fs::directory_iterator()), 0);
}

}  // namespace
}  // namespace orvalis
