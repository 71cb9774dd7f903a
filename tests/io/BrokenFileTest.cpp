#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "common/GdalFiles.h"
#include "common/ScratchFolderTest.h"
#include "io/PictureFile.h"

namespace orvalis {
namespace {

void WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::vector<std::uint8_t> ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

struct TiffEntry {
    std::uint16_t Tag, Type;
    std::uint32_t Value;
};

// A little-endian TIFF of one uncompressed 16-bit grey picture with the
// layout's tags besides the fixed ones, and 64 bytes of pixels after them.
std::vector<std::uint8_t> Tiff(std::uint32_t width, std::uint32_t rows, std::vector<TiffEntry> layout) {
    std::vector<TiffEntry> entries = {{256, 4, width}, {257, 4, rows}, {258, 3, 16},
                                      {259, 3, 1},     {262, 3, 1},    {277, 3, 1}};
    entries.insert(entries.end(), layout.begin(), layout.end());
    std::vector<std::uint8_t> bytes = {'I', 'I', 42, 0, 8, 0, 0, 0};
    const auto put16 = [&bytes](std::uint32_t v) {
        bytes.push_back(static_cast<std::uint8_t>(v));
        bytes.push_back(static_cast<std::uint8_t>(v >> 8));
    };
    const auto put32 = [&](std::uint32_t v) {
        put16(v & 0xFFFF);
        put16(v >> 16);
    };
    put16(static_cast<std::uint32_t>(entries.size()));
    for (const TiffEntry& e : entries) {  // the tags are in ascending order, as TIFF wants
        put16(e.Tag);
        put16(e.Type);
        put32(1);
        put32(e.Value);
    }
    put32(0);
    bytes.resize(bytes.size() + 64);
    return bytes;
}

// Where the pixels of a nine-entry file start; inside the file with ten too.
constexpr std::uint32_t kPixelOffset = 8 + 2 + 9 * 12 + 4;

// One strip holding the whole picture.
std::vector<std::uint8_t> StripTiff(std::uint32_t width, std::uint32_t rows) {
    return Tiff(width, rows, {{273, 4, kPixelOffset}, {278, 4, rows}, {279, 4, 2 * width * rows}});
}

// One tile of tileSide x tileSide pixels.
std::vector<std::uint8_t> TiledTiff(std::uint32_t width, std::uint32_t rows, std::uint32_t tileSide) {
    return Tiff(width, rows, {{322, 4, tileSide}, {323, 4, tileSide}, {324, 4, kPixelOffset}, {325, 4, 64}});
}

struct BrokenCase {
    const char* Name;
    const char* File;
    std::function<void(const std::string&)> Make;
    const char* Problem;  // part of the message after the file's name
};

std::vector<BrokenCase> BrokenCases() {
    const auto bytes = [](std::vector<std::uint8_t> content) {
        return [content](const std::string& path) { WriteBytes(path, content); };
    };
    const auto truncatedPng = [](const std::string& path) {
        test::GdalPicture p;
        p.Width = p.Rows = 64;
        for (int i = 0; i < 64 * 64; ++i) p.Samples.push_back((i * 7919) % 251);
        test::WriteWithGdal(path, "PNG", p);
        std::vector<std::uint8_t> content = ReadBytes(path);
        content.resize(content.size() / 2);
        WriteBytes(path, content);
    };
    return {
        {"missing file", "none.png", [](const std::string&) {}, "Datei nicht gefunden"},
        {"a folder", "folder.png", [](const std::string& path) { std::filesystem::create_directory(path); },
         "is not a file"},
        {"empty PNG", "empty.png", bytes({}), "the file is empty"},
        {"empty RAW", "empty.r16", bytes({}), "the file is empty"},
        {"RAW of odd length", "odd.raw", bytes({1, 2, 3}), "not 2 x a square number"},
        {"RAW that is not square", "oblong.r16", bytes({1, 2, 3, 4, 5, 6}), "not 2 x a square number"},
        {"PNG cut in half", "cut.png", truncatedPng, "damaged or cut short"},
        {"PNG signature only", "sig.png", bytes({0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'}),
         "cannot be read as PNG"},
        {"text named .png", "text.png", bytes({'h', 'e', 'l', 'l', 'o'}), "not a picture in a supported format"},
        {"TIFF claiming 30000 x 30000", "huge.tif", bytes(StripTiff(30000, 30000)),
         "more than its 186 bytes can hold"},
        {"TIFF claiming 40000 x 2", "wide.tif", bytes(StripTiff(40000, 2)),
         "40000 x 2 pixels is not supported"},
        {"TIFF of 16 x 16 in tiles of 32768 x 32768", "tile.tif", bytes(TiledTiff(16, 16, 32768)),
         "claims blocks of 32768 x 32768 pixels"},
        {"virtual raster pointing elsewhere", "other.vrt",
         bytes({'<', 'V', 'R', 'T', 'D', 'a', 't', 'a', 's', 'e', 't', ' ', 'r', 'a', 's', 't', 'e',
                'r', 'X', 'S', 'i', 'z', 'e', '=', '"', '1', '"', ' ', 'r', 'a', 's', 't', 'e', 'r',
                'Y', 'S', 'i', 'z', 'e', '=', '"', '1', '"', '>', '<', '/', 'V', 'R', 'T', 'D', 'a',
                't', 'a', 's', 'e', 't', '>'}),
         "format is not supported"},
        {"BMP cut before its header", "cut.bmp", bytes({'B', 'M', 0, 0}), "cut short"},
    };
}

using BrokenFileTest = test::ScratchFolderTest;

// Every broken file ends in an Error that names the file and the problem.
TEST_F(BrokenFileTest, EndsInAnErrorNamingTheFileAndTheProblem) {
    for (const BrokenCase& c : BrokenCases()) {
        SCOPED_TRACE(c.Name);
        const std::string path = PathOf(c.File);
        c.Make(path);
        try {
            ReadPictureFile(path);
            ADD_FAILURE() << "no error";
        } catch (const Error& e) {
            const std::string message = e.what();
            EXPECT_EQ(message.rfind(path + ": ", 0), 0u) << message;
            EXPECT_NE(message.find(c.Problem), std::string::npos) << message;
        }
    }
}

}  // namespace
}  // namespace orvalis
