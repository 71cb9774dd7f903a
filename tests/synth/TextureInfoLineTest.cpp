#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "common/ScratchFolderTest.h"
#include "raster/RasterError.h"
#include "synth/TextureInfo.h"

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
        std::ofstream(path, std::ios::binary | std::ios::trunc) << c.Bytes;
        try {
            ReadTextureInfo(path);
            ADD_FAILURE() << "read without an error";
        } catch (const RasterError& e) {
            EXPECT_EQ(std::string(e.what()), path + ": " + c.Problem);
        }
    }
}

}  // namespace
}  // namespace orvalis
