#include <gtest/gtest.h>

#include <vector>

#include "SharedPreview.h"
#include "common/BmpBytes.h"
#include "common/ScratchFolder.h"
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

TEST_F(Textures, ChoosesTheBmpReaderByTheNameAlone) {
    const auto bytes = MakeBmp24(4, 4, Distinct);
    for (const std::string name : {"a.bmp", "b.Bmp", "C.BMP"}) {
        std::uint32_t id = kUntouched;
        EXPECT_TRUE(LoadTextureFile(folder.Write(name, bytes), id, GL_LINEAR, GL_LINEAR_MIPMAP_LINEAR))
            << name;
        EXPECT_NE(id, kUntouched);
        glDeleteTextures(1, &id);
    }
    for (const std::string name : {"d.png", "bmp", "e.bmpx", "f.bm"}) {
        std::uint32_t id = kUntouched;
        EXPECT_FALSE(LoadTextureFile(folder.Write(name, bytes), id, GL_LINEAR, GL_LINEAR)) << name;
        EXPECT_EQ(id, kUntouched);
    }
    EXPECT_TRUE(messages.empty());
}

TEST_F(Textures, MakesAMipmappedRgbTextureWithRedAndBlueInPlace) {
    std::uint32_t id = 0;
    ASSERT_TRUE(LoadBmpTexture(folder.Write("t.bmp", MakeBmp24(4, 4, Distinct)), id, GL_LINEAR,
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

TEST_F(Textures, ReportsABadFileInABmpUnitBoxAndLeavesTheNameAlone) {
    auto eightBit = MakeBmp24(4, 4, Distinct);
    test::PutU16(eightBit, test::kBitCountAt, 8);
    const std::string missing = folder.PathOf("missing.bmp");
    const std::string bad = folder.Write("eight.bmp", eightBit);
    for (const std::string& file : {missing, bad}) {
        std::uint32_t id = kUntouched;
        EXPECT_FALSE(LoadTextureFile(file, id, GL_LINEAR, GL_LINEAR));
        EXPECT_EQ(id, kUntouched);
    }
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0], "BMP Unit|Error opening " + missing);
    EXPECT_EQ(messages[1].rfind("BMP Unit|Unsupported BMP " + bad + ": 8 bits", 0), 0u) << messages[1];
}

}  // namespace
}  // namespace orvalis
