#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>
#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "common/GdalFiles.h"
#include "common/ScratchFolderTest.h"
#include "common/TestPictures.h"
#include "io/PictureFile.h"
#include "io/RasterSamples.h"

namespace orvalis {
namespace {

// Just above the largest picture read in one piece: read in 17 bands.
constexpr int kWidth = 4100, kRows = 4100;

// Its lowest value lies in the first band, its highest and the cells
// without data in the last, so that a band's own range is not the picture's.
double Sample(int x, int y) {
    if (y == 0 && x == 5) return -700.25;
    if (y == kRows - 1 && x == 9) return 1234.5;
    if (y > kRows - 40 && x % 97 == 0) return -9999;  // no data
    return std::fmod(x * 0.37 + y * 1.13, 300.0) - 150;
}

std::uint16_t Word(int x, int y) { return static_cast<std::uint16_t>((x * 37 + y * 101) % 65536); }

struct BandCase {
    const char* Name;
    const char* File;
    bool Real;
    std::optional<HeightRange> Range;
};

// The samples as one piece, with cells without data as NaN, as the reader
// once held them before making the picture.
RasterSamples Whole(bool real) {
    RasterSamples s{"", "", real ? 32 : 16, kWidth, kRows, 1, real ? SampleKind::Real : SampleKind::Word, {}, {}, {}};
    for (int y = 0; y < kRows; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            const double v = Sample(x, y);
            // As the file's 32-bit floats hold them.
            if (real) s.Real.push_back(v == -9999 ? std::numeric_limits<double>::quiet_NaN() : static_cast<float>(v));
            else s.Whole.push_back(Word(x, y));
        }
    }
    return s;
}

using BandedReadTest = test::ScratchFolderTest;

// A picture read band by band is byte for byte the picture made from all its
// samples at once: pixels, fine heights, and real samples mapped from the
// whole picture's range.
TEST_F(BandedReadTest, BandsMakeThePictureOfTheWholeFile) {
    const BandCase cases[] = {
        {"16-bit PNG", "words.png", false, std::nullopt},
        {"RAW heightmap", "words.r16", false, std::nullopt},
        {"float TIFF, own range", "reals.tif", true, std::nullopt},
        {"float TIFF, given range", "reals.tif", true, HeightRange{-100, 100}},
    };
    for (const BandCase& c : cases) {
        SCOPED_TRACE(c.Name);
        const std::string path = PathOf(c.File);
        if (std::string(c.File).ends_with(".r16")) {
            std::ofstream raw(path, std::ios::binary);
            for (int y = 0; y < kRows; ++y)
                for (int x = 0; x < kWidth; ++x) raw.put(static_cast<char>(Word(x, y) & 255)).put(static_cast<char>(Word(x, y) >> 8));
        } else if (!std::filesystem::exists(path)) {
            test::GdalPicture file{kWidth, kRows, 1, c.Real ? GDT_Float32 : GDT_UInt16};
            for (int y = 0; y < kRows; ++y)
                for (int x = 0; x < kWidth; ++x) file.Samples.push_back(c.Real ? Sample(x, y) : Word(x, y));
            file.HasNoData = c.Real;
            file.NoData = -9999;
            file.Options[0] = c.Real ? nullptr : "ZLEVEL=1";
            test::WriteWithGdal(path, c.Real ? "GTiff" : "PNG", file);
        }
        const Picture reference = MakePicture(path, Whole(c.Real), c.Range);
        // Real samples also with two threads: the next band decoded while the
        // last is ranged on both.
        for (const int threads : {1, 2}) {
            if (threads == 2 && !c.Real) continue;
            SCOPED_TRACE(threads);
            PictureReadOptions options;
            options.Range = c.Range;
            options.Threads = threads;
            const Picture read = ReadPictureFile(path, options);
            ASSERT_TRUE(test::SamePixels(read.Pixels, reference.Pixels));
            ASSERT_TRUE(read.FineHeights);
            // Float samples are kept as they are, and give the very same heights.
            EXPECT_EQ(read.FineHeights->ScaledSamples(), c.Real);
            EXPECT_TRUE(test::EveryHeight(*read.FineHeights) == test::EveryHeight(*reference.FineHeights));
            if (threads == 1) continue;
            // Pixels left for later are the same once made.
            options.RealPixelsLater = true;
            const Picture later = ReadPictureFile(path, options);
            EXPECT_TRUE(test::SamePixels(PixelsOfRealHeights(*later.FineHeights), reference.Pixels));
        }
    }
}

}  // namespace
}  // namespace orvalis
