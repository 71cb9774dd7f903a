#include <sys/stat.h>

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

struct TiffEntry {
    std::uint16_t Tag, Type;
    std::uint32_t Value;
};

// A little-endian TIFF of one uncompressed 16-bit grey picture with the
// layout's tags besides the fixed ones, and 64 bytes of pixels after them.
std::string Tiff(std::uint32_t width, std::uint32_t rows, std::vector<TiffEntry> layout) {
    std::vector<TiffEntry> entries = {{256, 4, width}, {257, 4, rows}, {258, 3, 16},
                                      {259, 3, 1},     {262, 3, 1},    {277, 3, 1}};
    entries.insert(entries.end(), layout.begin(), layout.end());
    std::string bytes("II*\0\x08\0\0\0", 8);
    const auto put = [&bytes](std::uint32_t v, int count) {
        for (int i = 0; i < count; ++i) bytes += static_cast<char>(v >> 8 * i);
    };
    put(static_cast<std::uint32_t>(entries.size()), 2);
    for (const TiffEntry& e : entries) {  // tags in ascending order, as TIFF wants
        put(e.Tag, 2);
        put(e.Type, 2);
        put(1, 4);
        put(e.Value, 4);
    }
    put(0, 4);
    return bytes + std::string(64, '\0');
}

constexpr std::uint32_t kPixelOffset = 130;  // inside the file in either layout

std::string StripTiff(std::uint32_t width, std::uint32_t rows) {
    return Tiff(width, rows, {{273, 4, kPixelOffset}, {278, 4, rows}, {279, 4, 2 * width * rows}});
}

std::string TiledTiff(std::uint32_t width, std::uint32_t rows, std::uint32_t tileSide) {
    return Tiff(width, rows, {{322, 4, tileSide}, {323, 4, tileSide}, {324, 4, kPixelOffset}, {325, 4, 64}});
}

void TruncatedPng(const std::string& path) {
    test::GdalPicture p{64, 64};
    for (int i = 0; i < 64 * 64; ++i) p.Samples.push_back((i * 7919) % 251);
    test::WriteWithGdal(path, "PNG", p);
    std::filesystem::resize_file(path, std::filesystem::file_size(path) / 2);
}

struct BrokenCase {
    const char* File;
    std::function<void(const std::string&)> Make;
    const char* Problem;  // part of the message after the file's name
};

using BrokenFileTest = test::ScratchFolderTest;

// Every broken file, whatever its format, ends in an Error that names the
// file and the problem, before any allocation the file cannot justify.
TEST_F(BrokenFileTest, EndsInAnErrorNamingTheFileAndTheProblem) {
    const auto bytes = [](std::string content) {
        return [content](const std::string& path) { std::ofstream(path, std::ios::binary) << content; };
    };
    const BrokenCase cases[] = {
        {"missing.png", [](const std::string&) {}, "Datei nicht gefunden"},
        {"folder.png", [](const std::string& path) { std::filesystem::create_directory(path); }, "is a folder"},
        {"fifo.png", [](const std::string& path) { ::mkfifo(path.c_str(), 0600); }, "(a FIFO)"},
        {"empty.png", bytes(""), "the file is empty"},
        {"empty.r16", bytes(""), "the file is empty"},
        {"odd-length.raw", bytes("abc"), "3 bytes are not 2 x a square number"},
        {"oblong.r16", bytes("abcdef"), "6 bytes are not 2 x a square number"},
        {"cut-in-half.png", TruncatedPng, "damaged or cut short"},
        {"signature-only.png", bytes("\x89PNG\r\n\x1a\n"), "cannot be read as PNG"},
        {"text.png", bytes("hello"), "not a picture in a supported format"},
        {"huge.tif", bytes(StripTiff(30000, 30000)), "claims 30000 x 30000 pixels, more than its 186 bytes"},
        {"too-wide.tif", bytes(StripTiff(40000, 2)), "40000 x 2 pixels is too large to hold whole"},
        {"huge-tiles.tif", bytes(TiledTiff(16, 16, 32768)), "claims blocks of 32768 x 32768 pixels"},
        {"elsewhere.vrt",
         bytes(R"(<VRTDataset rasterXSize="1" rasterYSize="1"><VRTRasterBand><SimpleSource>)"
               R"(<SourceFilename>/dev/zero</SourceFilename></SimpleSource></VRTRasterBand></VRTDataset>)"),
         "its source '/dev/zero' lies outside the mosaic's folder"},
        {"elsewhere.ers", bytes("DatasetHeader Begin\n\tDataFile = \"/dev/zero\"\nDatasetHeader End\n"),
         "the ERMapper .ers Labelled format is not supported"},
        {"cut.bmp", bytes("BM\0\0"), "cut short"},
    };
    for (const BrokenCase& c : cases) {
        SCOPED_TRACE(c.File);
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
