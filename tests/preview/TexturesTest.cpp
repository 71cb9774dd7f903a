#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "SharedPreview.h"
#include "common/BmpBytes.h"
#include "common/ScratchFolder.h"
#include "io/PictureFile.h"
#include "io/PngFile.h"
#include "preview/Textures.h"

namespace orvalis {
namespace {

using test::MakeBmp24;
using test::ScratchFolder;

constexpr std::uint32_t kUntouched = 4242;

// Each test runs on the shared context and collects the loader's messages.
class Textures : public testing::Test {
protected:
    void SetUp() override {
        test::Preview();
        previousSink_ = SetTextureMessageSink([this](const std::string& caption, const std::string& text) {
            messages.push_back(caption + "|" + text);
        });
    }
    void TearDown() override { SetTextureMessageSink(previousSink_); }

    // The texel rows of level 0 of the bound texture of target, bottom row first.
    static std::vector<std::uint8_t> Level0(GLenum target, int width, int height) {
        std::vector<std::uint8_t> texels(static_cast<std::size_t>(width * height * 3));
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glGetTexImage(target, 0, GL_RGB, GL_UNSIGNED_BYTE, texels.data());
        return texels;
    }
    static GLint Parameter(GLenum target, GLenum name) {
        GLint value = 0;
        glGetTexParameteriv(target, name, &value);
        return value;
    }

    std::vector<std::string> messages;
    ScratchFolder folder;

private:
    TextureMessageSink previousSink_;
};

PixelColour Distinct(int x, int y) {
    return MakeColour(static_cast<std::uint8_t>(40 * x), static_cast<std::uint8_t>(40 * y), 200);
}

// The common reader knows a BMP file by its signature and reads PNG files
// such as --format png writes.
TEST_F(Textures, LoadsEveryPictureWhateverItsName) {
    const auto bytes = MakeBmp24(4, 4, Distinct);
    std::vector<std::string> files;
    for (const std::string name : {"a.bmp", "b.Bmp", "C.BMP", "d.png", "bmp", "e.bmpx", "f.bm"}) {
        files.push_back(folder.Write(name, bytes));
    }
    files.push_back(folder.PathOf("g.png"));
    WritePngFile(files.back(), ReadPictureFile(files.front()).Pixels);
    for (const std::string& file : files) {
        std::uint32_t id = kUntouched;
        EXPECT_TRUE(LoadTextureFile(file, id, GL_LINEAR, GL_LINEAR_MIPMAP_LINEAR)) << file;
        EXPECT_NE(id, kUntouched);
        glDeleteTextures(1, &id);
    }
    EXPECT_TRUE(messages.empty());
}

TEST_F(Textures, MakesAMipmappedRgbTextureWithRedAndBlueInPlace) {
    std::uint32_t id = 0;
    ASSERT_TRUE(LoadTextureFile(folder.Write("t.bmp", MakeBmp24(4, 4, Distinct)), id, GL_LINEAR,
                                GL_LINEAR_MIPMAP_LINEAR));
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    GLint value = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_INTERNAL_FORMAT, &value);
    EXPECT_EQ(value, GL_RGB8);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 2, GL_TEXTURE_WIDTH, &value);
    EXPECT_EQ(value, 1) << "the mipmap chain ends in one texel";
    EXPECT_EQ(Parameter(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S), GL_REPEAT) << "the mesh's coordinates need repeat";
    const auto texels = Level0(GL_TEXTURE_2D, 4, 4);
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 4; ++x) {
            const std::uint8_t* t = &texels[(y * 4 + x) * 3];
            EXPECT_EQ(t[0], 40 * x);
            EXPECT_EQ(t[1], 40 * y);
            EXPECT_EQ(t[2], 200);
        }
    }
    glDeleteTextures(1, &id);
}

// Rows of two pixels are padded to eight bytes in the file and six in the
// upload; either mistake shears the rows into each other. (Two is a power of
// two, so GLU uploads the rows as they are.)
TEST_F(Textures, KeepsRowsApartWhenTheyAreNotWholeWords) {
    std::uint32_t id = 0;
    ASSERT_TRUE(
        LoadTextureFile(folder.Write("narrow.bmp", MakeBmp24(2, 4, Distinct)), id, GL_LINEAR, GL_LINEAR));
    const auto texels = Level0(GL_TEXTURE_2D, 2, 4);
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 2; ++x) {
            const std::uint8_t* t = &texels[(y * 2 + x) * 3];
            EXPECT_EQ(MakeColour(t[0], t[1], t[2]), Distinct(x, y)) << x << ", " << y;
        }
    }
    glDeleteTextures(1, &id);
}

TEST_F(Textures, TurnsASingleRowIntoANearestFiltered1DTexture) {
    std::uint32_t id = 0;
    ASSERT_TRUE(LoadTextureFile(folder.Write("row.bmp", MakeBmp24(4, 1, Distinct)), id, GL_LINEAR,
                                GL_LINEAR_MIPMAP_LINEAR));
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_1D));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_1D, &bound);
    EXPECT_EQ(static_cast<std::uint32_t>(bound), id);
    EXPECT_EQ(Parameter(GL_TEXTURE_1D, GL_TEXTURE_MAG_FILTER), GL_NEAREST);
    EXPECT_EQ(Parameter(GL_TEXTURE_1D, GL_TEXTURE_MIN_FILTER), GL_NEAREST);
    EXPECT_EQ(Parameter(GL_TEXTURE_1D, GL_TEXTURE_WRAP_S), GL_CLAMP_TO_EDGE);
    const auto texels = Level0(GL_TEXTURE_1D, 4, 1);
    EXPECT_EQ(texels[3 * 3], 120);
    EXPECT_EQ(texels[3 * 3 + 2], 200);
    glDeleteTextures(1, &id);
}

struct BadFile {
    const char* Name;
    std::function<void(const std::string& path)> Make;
    std::string Message;  // "%" stands for the file's path
};

// Every file the reader refuses is reported in a "BMP Unit" box naming it;
// the loader gives false and leaves the name alone.
TEST_F(Textures, ReportsEveryBadFileInABmpUnitBoxAndLeavesTheNameAlone) {
    const auto bmp = [this](const std::function<void(std::vector<std::uint8_t>&)>& breakIt) {
        return [this, breakIt](const std::string& path) {
            auto bytes = MakeBmp24(4, 4, Distinct);
            breakIt(bytes);
            folder.Write(std::filesystem::path(path).filename().string(), bytes);
        };
    };
    const std::vector<BadFile> cases = {
        {"missing.bmp", [](const std::string&) {}, "Error opening %"},
        {"pipe.bmp", [](const std::string& path) { ::mkfifo(path.c_str(), 0600); },
         "Error opening %: is not a regular file (a FIFO)"},
        {"folder.bmp", [](const std::string& path) { std::filesystem::create_directory(path); },
         "Error opening %: is a folder, not a file"},
        {"empty.bmp", bmp([](auto& b) { b.clear(); }), "%: the file header is cut short"},
        {"short.bmp", bmp([](auto& b) { b.resize(50); }), "%: the information header is cut short"},
        {"seven.bmp", bmp([](auto& b) { test::PutU16(b, test::kBitCountAt, 7); }),
         "%: 7 bits per pixel are not supported"},
        {"packed.bmp", bmp([](auto& b) { test::PutU32(b, test::kCompressionAt, 9); }),
         "%: compression 9 is not supported"},
        {"header.bmp", bmp([](auto& b) { test::PutU32(b, test::kHeaderSizeAt, 20); }),
         "%: an information header of 20 bytes is not supported"},
        {"narrow.bmp", bmp([](auto& b) { test::PutU32(b, test::kWidthAt, 0); }),
         "%: a picture of 0 x 4 pixels is not supported (each side 1 to 32768)"},
        {"tall.bmp", bmp([](auto& b) { test::PutU32(b, test::kHeightAt, 70000); }),
         "%: a picture of 4 x 70000 pixels is not supported (each side 1 to 32768)"},
        {"offset.bmp", bmp([](auto& b) { test::PutU32(b, test::kPixelOffsetAt, 5000); }),
         "%: the pixel data would start at byte 5000, beyond the end of the 102-byte file"},
        {"text.png", [this](const std::string&) { folder.Write("text.png", std::string_view("hello")); },
         "%: not a picture in a supported format (BMP, PNG, JPEG, TIFF, RAW, HGT, ASC and other "
         "elevation grids)"},
    };
    for (const BadFile& bad : cases) {
        SCOPED_TRACE(bad.Name);
        const std::string file = folder.PathOf(bad.Name);
        bad.Make(file);
        std::uint32_t id = kUntouched;
        messages.clear();
        EXPECT_FALSE(LoadTextureFile(file, id, GL_LINEAR, GL_LINEAR));
        EXPECT_EQ(id, kUntouched);
        std::string expected = "BMP Unit|" + bad.Message;
        expected.replace(expected.find('%'), 1, file);
        EXPECT_EQ(messages, std::vector<std::string>{expected});
    }
}

}  // namespace
}  // namespace orvalis
