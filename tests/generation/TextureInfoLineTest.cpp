#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <string>

#include "common/ErrorMessage.h"
#include "common/Files.h"
#include "common/ScratchFolderTest.h"
#include "files/Error.h"
#include "generation/TextureInfo.h"

namespace orvalis {
namespace {

class TextureInfoLineTest : public test::ScratchFolderTest {};

// A control character would make a path name another file than the one shown
// (a NUL even cuts it short), so the reader refuses it with file and line.
TEST_F(TextureInfoLineTest, AControlCharacterIsRefusedWithItsLine) {
    struct Case {
        std::string Bytes;
        std::string Problem;
    };
    const std::string tiles = "a\r\nb\r\nc\r\nd\r\ne\r\n";
    const Case cases[] = {
        {std::string("a\nb\nc\0d.bmp\n", 12), "line 3 contains a control character (\\x00)"},
        {"a\nb\rc.bmp\n", "line 2 contains a control character (\\r)"},
        {"a\r\r\n", "line 1 contains a control character (\\r)"},
        {tiles + "hills\t.bmp\r\n", "line 6 contains a control character (\\t)"},
        {tiles + "hm\r\n256\r\n192\r\n\x1B[31m\r\n", "line 9 contains a control character (\\x1B)"},
        {tiles + "hm\r\n\x7F", "line 7 contains a control character (\\x7F)"},
    };
    const std::string path = PathOf("default.txt");
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.Bytes));
        test::WriteBytes(path, c.Bytes);
        EXPECT_EQ(test::MessageOf<Error>([&] { ReadTextureInfo(path); }),
                  path + ": " + c.Problem);
    }
}

// A picture or other binary file picked in place of a set-up is called what
// it is rather than refused for its first odd byte.
TEST_F(TextureInfoLineTest, APictureOrBinaryFileIsNamedForWhatItIs) {
    struct Case {
        std::string Bytes;
        std::string Problem;
    };
    const Case cases[] = {
        {std::string("BM\x36\x00\x01\x00\x00\x00\x00\x00", 10), "is a BMP picture, not a set-up file"},
        {"\x89PNG\r\n\x1A\n\0\0\0\rIHDR", "is a PNG picture, not a set-up file"},
        {std::string("\xFF\xD8\xFF\xE0\x00\x10JFIF", 10), "is a JPEG picture, not a set-up file"},
        {std::string("GIF89a\x01\x00", 8), "is a GIF picture, not a set-up file"},
        {std::string("II*\0\x08\0\0\0", 8), "is a TIFF picture, not a set-up file"},
        {std::string("MM\0*\0\0\0\x08", 8), "is a TIFF picture, not a set-up file"},
        {std::string("\x7F" "ELF\x02\x01\x01\0", 8), "is not a set-up file (binary data)"},
        {std::string("\x10\x27\xFF\x7F\n", 5), "is not a set-up file (binary data)"},
        // Text that merely starts like a signature is a set-up whose odd line is named.
        {"BMW.bmp\r\nb\r\nc\x01\r\n", "line 3 contains a control character (\\x01)"},
    };
    const std::string path = PathOf("picked.bmp");
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.Bytes));
        test::WriteBytes(path, c.Bytes);
        EXPECT_EQ(test::MessageOf<Error>([&] { ReadTextureInfo(path); }), path + ": " + c.Problem);
    }
    test::WriteBytes(path, "BMW.bmp\r\n");
    EXPECT_EQ(ReadTextureInfo(path).TileFiles[0], "BMW.bmp");
}

// What the reader refuses is never written: the earlier file stays as it was.
TEST_F(TextureInfoLineTest, TheWriterRefusesWhatTheReaderRefuses) {
    struct Case {
        int Line;
        std::string Value;
        std::string Shown;
    };
    const Case cases[] = {
        {1, std::string("a\0.bmp", 6), "\\x00"},
        {2, "b\tc.bmp", "\\t"},
        {5, "e.bmp\r", "\\r"},
        {6, "hills\n.bmp", "\\n"},
        {7, "2\x1A" "56", "\\x1A"},
        {11, "\x7F", "\\x7F"},
    };
    const std::string path = PathOf("setup.txt");
    test::WriteBytes(path, "earlier");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Line);
        std::array<std::string, 11> values{};
        values[c.Line - 1] = c.Value;
        TextureInfo info;
        std::copy_n(values.begin(), 5, info.TileFiles.begin());
        info.HeightmapFile = values[5];
        info.BandTexts.emplace();
        std::copy_n(values.begin() + 6, 5, info.BandTexts->begin());
        EXPECT_EQ(test::MessageOf<Error>([&] { WriteTextureInfo(path, info); }),
                  path + ": line " + std::to_string(c.Line) + " contains a control character (" +
                      c.Shown + ")");
        EXPECT_EQ(test::ReadBytes(path), "earlier");
    }
}

}  // namespace
}  // namespace orvalis
