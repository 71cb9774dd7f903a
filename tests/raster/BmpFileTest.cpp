#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "common/ErrorMessage.h"
#include "common/Files.h"
#include "common/ScratchFolderTest.h"
#include "common/TestPictures.h"
#include "raster/BmpFile.h"
#include "raster/DibBuffer.h"
#include "files/Error.h"

namespace orvalis {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

void Put(Bytes& bytes, std::uint32_t value, int width) {
    for (int i = 0; i < width; ++i) bytes.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

// A hand-made file: a 40-byte (or, with HeaderSize 12, a core) header, then
// Table (colour table or masks), then Pixels.
struct FileLayout {
    std::int32_t Width = 2;
    std::int32_t Height = 2;
    std::uint16_t Bits = 24;
    std::uint32_t Compression = BI_RGB;
    std::uint32_t HeaderSize = 40;
    Bytes Table = {};
    Bytes Pixels = {};
};

Bytes Build(const FileLayout& layout) {
    const std::uint32_t offset =
        14 + layout.HeaderSize + static_cast<std::uint32_t>(layout.Table.size());
    Bytes file{'B', 'M'};
    Put(file, offset + static_cast<std::uint32_t>(layout.Pixels.size()), 4);
    Put(file, 0, 4);
    Put(file, offset, 4);
    Put(file, layout.HeaderSize, 4);
    const int sizeWidth = layout.HeaderSize == 12 ? 2 : 4;  // a core header has 16-bit sizes
    Put(file, static_cast<std::uint32_t>(layout.Width), sizeWidth);
    Put(file, static_cast<std::uint32_t>(layout.Height), sizeWidth);
    Put(file, 1, 2);
    Put(file, layout.Bits, 2);
    if (layout.HeaderSize != 12) {
        Put(file, layout.Compression, 4);
        file.resize(14 + layout.HeaderSize);
    }
    file.insert(file.end(), layout.Table.begin(), layout.Table.end());
    file.insert(file.end(), layout.Pixels.begin(), layout.Pixels.end());
    return file;
}

class BmpFileTest : public test::ScratchFolderTest {
protected:

    std::string WriteFile(const std::string& name, const Bytes& bytes) const {
        test::WriteBytes(PathOf(name), bytes);
        return PathOf(name);
    }
    std::vector<std::string> FolderEntries() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder_)) {
            names.push_back(entry.path().filename().string());
        }
        return names;
    }
};

void FillPattern(TDibBuffer& buffer) {
    for (std::int32_t row = 0; row < buffer.RowCount(); ++row) {
        for (std::int32_t column = 0; column < buffer.Width(); ++column) {
            buffer.WritePixel(
                row, column,
                MakeColour(static_cast<std::uint8_t>(row * 7 + column),
                           static_cast<std::uint8_t>(column * 3), static_cast<std::uint8_t>(row)));
        }
    }
}

TEST_F(BmpFileTest, Writes256Square24BitFileWithItsStandardHeaderAndReadsItBackUnchanged) {
    TDibBuffer picture;
    picture.Allocate(256, 256, 24);
    FillPattern(picture);
    const std::string path = PathOf("texture.bmp");
    picture.WriteBmpFile(path);

    const Bytes file = test::ReadBytes<Bytes>(path);
    ASSERT_EQ(file.size(), 196662u);
    Bytes expected{'B', 'M'};
    Put(expected, 196662, 4);
    Put(expected, 0, 4);
    Put(expected, 54, 4);
    // biSize, width, height, planes, bits, compression, biSizeImage, the rest zero
    const std::pair<std::uint32_t, int> infoFields[] = {
        {40, 4}, {256, 4}, {256, 4}, {1, 2}, {24, 2}, {0, 4},
        {196608, 4}, {0, 4}, {0, 4}, {0, 4}, {0, 4}};
    for (const auto& [value, width] : infoFields) Put(expected, value, width);
    EXPECT_EQ(Bytes(file.begin(), file.begin() + 54), expected);
    EXPECT_EQ(0, std::memcmp(file.data() + 54, picture.PixelData(), picture.PixelBytes()));

    TDibBuffer readBack;
    readBack.ReadBmpFile(path);
    ASSERT_EQ(readBack.Width(), 256);
    ASSERT_EQ(readBack.Height(), 256);
    ASSERT_EQ(readBack.BitsPerPixel(), 24);
    EXPECT_EQ(0, std::memcmp(readBack.PixelData(), picture.PixelData(), picture.PixelBytes()));
    readBack.WriteBmpFile(PathOf("again.bmp"));
    EXPECT_EQ(test::ReadBytes<Bytes>(PathOf("again.bmp")), file);
}

TEST_F(BmpFileTest, EightBitPictureKeepsItsPaletteThroughWriteAndRead) {
    TDibBuffer picture;
    picture.Allocate(3, 2, 8);
    for (int i = 0; i < 256; ++i) {
        picture.SetColour(static_cast<std::uint8_t>(i),
                          RgbQuad{static_cast<std::uint8_t>(i), 0, static_cast<std::uint8_t>(255 - i), 0});
    }
    picture.WriteIndex(0, 0, 200);
    picture.WriteIndex(1, 2, 17);
    const std::string path = PathOf("indexed.bmp");
    picture.WriteBmpFile(path);
    EXPECT_EQ(test::ReadBytes<Bytes>(path).size(), 1078u + 2 * 4);

    TDibBuffer readBack;
    readBack.ReadBmpFile(path);
    ASSERT_EQ(readBack.BitsPerPixel(), 8);
    EXPECT_EQ(readBack.ReadPixel(0, 0), MakeColour(55, 0, 200));
    EXPECT_EQ(readBack.ReadPixel(1, 2), MakeColour(238, 0, 17));
    EXPECT_EQ(readBack.ReadPixel(1, 0), MakeColour(255, 0, 0));
}

TEST_F(BmpFileTest, TopDownFiveWidePictureKeepsHeightRowOrderAndSixteenByteRows) {
    TDibBuffer picture;
    picture.Allocate(5, -3, 24);
    FillPattern(picture);
    const std::string path = PathOf("topdown.bmp");
    picture.WriteBmpFile(path);
    const Bytes file = test::ReadBytes<Bytes>(path);
    EXPECT_EQ(file.size(), 54u + 3 * 16);
    std::int32_t height;
    std::memcpy(&height, file.data() + 22, sizeof height);
    EXPECT_EQ(height, -3);

    TDibBuffer readBack;
    readBack.ReadBmpFile(path);
    EXPECT_EQ(readBack.Height(), -3);
    EXPECT_EQ(readBack.BytesPerRow(), 16);
    EXPECT_EQ(0, std::memcmp(readBack.PixelData(), picture.PixelData(), picture.PixelBytes()));
}

TEST_F(BmpFileTest, CoreHeaderFourBitFileTakesItsColoursFromThreeByteEntries) {
    FileLayout layout{.Width = 3, .Height = 1, .Bits = 4, .HeaderSize = 12};
    for (std::uint8_t i = 0; i < 16; ++i) {
        layout.Table.insert(layout.Table.end(), {i, static_cast<std::uint8_t>(i * 2),
                                                 static_cast<std::uint8_t>(i * 3)});
    }
    layout.Pixels = {0x1F, 0x70, 0, 0};
    TDibBuffer picture;
    picture.ReadBmpFile(WriteFile("core.bmp", Build(layout)));
    ASSERT_EQ(picture.BitsPerPixel(), 4);
    EXPECT_EQ(picture.Width(), 3);
    EXPECT_EQ(picture.ReadPixel(0, 0), MakeColour(3, 2, 1));
    EXPECT_EQ(picture.ReadPixel(0, 1), MakeColour(45, 30, 15));
    EXPECT_EQ(picture.ReadPixel(0, 2), MakeColour(21, 14, 7));
    EXPECT_EQ(picture.ColourTable()[15].rgbReserved, 0);
    EXPECT_EQ(picture.ColourTable()[16].rgbRed, 0);  // the table had 16 entries
}

TEST_F(BmpFileTest, PixelDataCutShortLeavesTheMissingRowsZeroEvenInAReusedBuffer) {
    FileLayout layout{.Width = 1, .Height = 3};
    const std::string full = WriteFile(
        "full.bmp", Build(FileLayout{.Width = 1, .Height = 3, .Pixels = Bytes(12, 0x55)}));
    layout.Pixels = {1, 2, 3, 0, 4, 5};  // one row and a half
    const std::string cut = WriteFile("cut.bmp", Build(layout));

    TDibBuffer picture;
    picture.ReadBmpFile(full);
    picture.ReadBmpFile(cut);  // same format: the memory is kept
    EXPECT_EQ(picture.ReadPixel(0, 0), MakeColour(3, 2, 1));
    const std::uint8_t* pixels = picture.PixelData();
    EXPECT_EQ(Bytes(pixels + 4, pixels + 12), (Bytes{4, 5, 0, 0, 0, 0, 0, 0}));
}

// A large file read in parts on several threads gives the bytes one read
// gives, whole or cut short (the rest zero).
TEST_F(BmpFileTest, LargeFilesReadInPartsGiveTheSameBytes) {
    TDibBuffer written;
    written.Allocate(4000, 2100, 24);  // 25.2 MB of pixels: three parts of 8 MiB or more, two once cut
    for (std::size_t i = 0; i < written.PixelBytes(); ++i) written.PixelData()[i] = static_cast<std::uint8_t>(i * 7 + i / 4093);
    const std::string whole = PathOf("large.bmp");
    written.WriteBmpFile(whole);
    std::filesystem::copy_file(whole, PathOf("cut.bmp"));
    std::filesystem::resize_file(PathOf("cut.bmp"), std::filesystem::file_size(whole) - 3'000'000);
    for (const std::string& path : {whole, PathOf("cut.bmp")}) {
        TDibBuffer one, parts;
        one.ReadBmpFile(path);
        parts.ReadBmpFile(path, 3);
        EXPECT_TRUE(test::SamePixels(one, parts)) << path;
    }
}

// Above 1 MiB of pixels a file must hold half of them, or run-length data that
// could describe them; a file just inside the bound loads as a cut file does.
TEST_F(BmpFileTest, LargeClaimsLoadUpToTheBoundOfWhatTheFileCanHold) {
    struct Case {
        FileLayout Layout;
        std::size_t DataBytes;  // at the bound; one code less is refused
        std::string Problem;
    };
    const Case cases[] = {
        {{.Width = 1024, .Height = 2048, .Bits = 8}, std::size_t{1} << 20,
         "the header claims 1024 x 2048 pixels (2097152 bytes), but the file holds only 1048574 "
         "bytes of pixels"},
        {{.Width = 4096, .Height = 4096, .Bits = 8, .Compression = BI_RLE8}, 1024,
         "the header claims 4096 x 4096 pixels, more than 1022 bytes of run-length data can "
         "describe"},
    };
    for (const Case& c : cases) {
        FileLayout layout = c.Layout;
        layout.Pixels = Bytes(c.DataBytes, 0);  // RLE8: ends of lines
        TDibBuffer picture;
        EXPECT_NO_THROW(picture.ReadBmpFile(WriteFile("bound.bmp", Build(layout))));
        layout.Pixels.resize(c.DataBytes - 2);
        const std::string path = WriteFile("beyond.bmp", Build(layout));
        EXPECT_EQ(test::MessageOf<Error>([&] { picture.ReadBmpFile(path); }),
                  path + ": " + c.Problem);
    }
}

// One end-of-picture code describes a whole picture of colour 0, up to the
// run-length bound of 4 MiB of pixels; beyond it the data must say more.
TEST_F(BmpFileTest, SparseRunLengthPicturesLoadUpToTheirBound) {
    const struct {
        FileLayout Layout;
        std::string Problem;  // empty: loads
    } cases[] = {
        {{.Width = 2048, .Height = 2048, .Bits = 8, .Compression = BI_RLE8}, ""},
        {{.Width = 4096, .Height = 2048, .Bits = 4, .Compression = BI_RLE4}, ""},
        {{.Width = 2048, .Height = 2049, .Bits = 8, .Compression = BI_RLE8},
         "the header claims 2048 x 2049 pixels, more than 2 bytes of run-length data can describe"},
    };
    for (auto c : cases) {
        c.Layout.Table = {10, 20, 30, 0};
        c.Layout.Pixels = {0, 1};
        const std::string path = WriteFile("sparse.bmp", Build(c.Layout));
        TDibBuffer picture;
        const std::string message = test::MessageOf<Error>([&] { picture.ReadBmpFile(path); });
        if (!c.Problem.empty()) {
            EXPECT_EQ(message, path + ": " + c.Problem);
            continue;
        }
        EXPECT_EQ(message, test::kNoError);
        EXPECT_EQ(picture.ReadPixel(picture.RowCount() - 1, picture.Width() - 1), MakeColour(30, 20, 10));
    }
}

struct BadFile {
    const char* Name;
    Bytes Contents;
    const char* Problem;
};

Bytes WithU32(Bytes file, std::size_t offset, std::uint32_t value) {
    std::memcpy(file.data() + offset, &value, sizeof value);
    return file;
}

TEST_F(BmpFileTest, UnusableFilesRaiseAnErrorNamingTheFileAndTheProblem) {
    const Bytes good = Build(FileLayout{.Pixels = Bytes(16, 0)});
    Bytes notBmp = good;
    notBmp[0] = 'P';
    const Bytes rle = Build(
        FileLayout{.Bits = 8, .Compression = BI_RLE8, .Table = Bytes(1024, 0), .Pixels = {0, 1}});
    const std::vector<BadFile> cases = {
        {"tiny.bmp", Bytes{'B', 'M', 0}, "the file header is cut short"},
        {"png.bmp", notBmp, "not a BMP file (no \"BM\" signature)"},
        {"cut.bmp", Bytes(good.begin(), good.begin() + 40), "the information header is cut short"},
        {"rle.bmp", Build(FileLayout{.Bits = 4, .Compression = BI_RLE8}),
         "RLE8 compression needs 8 bits per pixel, not 4"},
        {"flat.bmp", Build(FileLayout{.Height = 0}),
         "a picture of 2 x 0 pixels is not supported (each side 1 to 32768)"},
        {"deep.bmp", Build(FileLayout{.Height = -40000}),
         "a picture of 2 x -40000 pixels is not supported (each side 1 to 32768)"},
        {"offset.bmp", WithU32(good, 10, 71),
         "the pixel data would start at byte 71, beyond the end of the 70-byte file"},
        {"rlesize.bmp", WithU32(rle, 2, 1000),
         "the run-length data ends (bfSize 1000) before it starts (bfOffBits 1078)"},
    };
    for (const BadFile& bad : cases) {
        const std::string path = WriteFile(bad.Name, bad.Contents);
        TDibBuffer picture;
        EXPECT_EQ(test::MessageOf<Error>([&] { picture.ReadBmpFile(path); }),
                  path + ": " + bad.Problem)
            << bad.Name;
    }
}

TEST_F(BmpFileTest, MissingFileIsNotFound) {
    const std::string path = PathOf("nowhere.bmp");
    TDibBuffer picture;
    EXPECT_EQ(test::MessageOf<Error>([&] { picture.ReadBmpFile(path); }),
              path + ": Datei nicht gefunden");
    EXPECT_THROW(ReadBmpHeader(PathOf("nowhere/deeper.bmp")), Error);
    EXPECT_THROW(picture.ReadBmpFile(folder_.string()), Error);
    EXPECT_TRUE(picture.IsEmpty());
}

TEST_F(BmpFileTest, FailedWriteKeepsTheEarlierFileAndLeavesNoTemporaryBehind) {
    TDibBuffer picture;
    picture.Allocate(64, 64, 24);
    FillPattern(picture);
    const std::string target = PathOf("kept.bmp");
    const Bytes earlier = Build(FileLayout{.Pixels = Bytes(16, 0x42)});
    test::WriteBytes(target, earlier);

    // A file size limit makes the write fail half way, as a full disk would.
    rlimit oldLimit{};
    getrlimit(RLIMIT_FSIZE, &oldLimit);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = oldLimit;
    small.rlim_cur = 1000;
    setrlimit(RLIMIT_FSIZE, &small);
    EXPECT_THROW(picture.WriteBmpFile(target), Error);
    setrlimit(RLIMIT_FSIZE, &oldLimit);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_EQ(test::ReadBytes<Bytes>(target), earlier);
    EXPECT_EQ(FolderEntries(), std::vector<std::string>{"kept.bmp"});
}

TEST_F(BmpFileTest, WriteOntoAFolderOrIntoAMissingFolderFailsNamingTheFile) {
    TDibBuffer picture;
    picture.Allocate(4, 4, 24);
    const std::string folderTarget = PathOf("taken");
    fs::create_directory(folderTarget);
    const std::string overFolder =
        test::MessageOf<Error>([&] { picture.WriteBmpFile(folderTarget); });
    EXPECT_EQ(overFolder.rfind(folderTarget + ": cannot be replaced", 0), 0u) << overFolder;
    EXPECT_TRUE(fs::is_directory(folderTarget));
    EXPECT_EQ(FolderEntries(), std::vector<std::string>{"taken"});

    const std::string missing = PathOf("missing/out.bmp");
    const std::string intoMissing =
        test::MessageOf<Error>([&] { picture.WriteBmpFile(missing); });
    EXPECT_EQ(intoMissing.rfind(missing + ": cannot be written", 0), 0u) << intoMissing;
}

}  // namespace
}  // namespace orvalis
