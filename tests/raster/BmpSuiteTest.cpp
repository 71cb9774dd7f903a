#include <gtest/gtest.h>

#include <cctype>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include "common/ErrorMessage.h"
#include "common/TestData.h"
#include "raster/DibBuffer.h"
#include "files/Error.h"

// The BMP conformance corpus: every file of the good (g) and questionable (q)
// sets that has a reference decodes to it exactly, every other q file is
// rejected, and every bad (b) file is read or rejected as its index row says.
namespace orvalis {
namespace {

const std::string kSuiteDir = test::BmpSuiteDir();

struct SuiteFile {
    std::string File;  // "g/pal8.bmp"
    bool Decodes = false;
    std::string Reference;  // "ref/pal8.ppm", or empty
};

void PrintTo(const SuiteFile& suiteFile, std::ostream* out) { *out << suiteFile.File; }

// index.tsv: file, header size, bits, compression, expectation, reference, ...
std::vector<SuiteFile> LoadIndex() {
    std::ifstream index(kSuiteDir + "index.tsv");
    std::vector<SuiteFile> files;
    std::string line;
    std::getline(index, line);  // column names
    while (std::getline(index, line)) {
        std::vector<std::string> columns;
        std::stringstream fields(line);
        for (std::string field; std::getline(fields, field, '\t');) columns.push_back(field);
        if (columns.size() < 6) continue;
        const std::string& expectation = columns[4];
        const bool decodes =
            expectation == "decode" || expectation.find("rules: decode") != std::string::npos;
        files.push_back({columns[0], decodes, columns[5] == "-" ? "" : columns[5]});
    }
    return files;
}

struct Ppm {
    int Width = 0;
    int Height = 0;
    std::vector<std::uint8_t> Rgb;  // top row first
};

Ppm ReadPpm(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::string magic;
    int maxValue = 0;
    Ppm ppm;
    in >> magic >> ppm.Width >> ppm.Height >> maxValue;
    in.get();  // the one whitespace before the samples
    ppm.Rgb.assign(std::istreambuf_iterator<char>(in), {});
    EXPECT_EQ(magic, "P6");
    EXPECT_EQ(maxValue, 255);
    return ppm;
}

class BmpSuiteTest : public ::testing::TestWithParam<SuiteFile> {};

TEST_P(BmpSuiteTest, ReadsOrRejectsAsIndexed) {
    const SuiteFile& suiteFile = GetParam();
    const std::string path = kSuiteDir + suiteFile.File;
    TDibBuffer picture;
    if (!suiteFile.Decodes) {
        const std::string error =
            test::MessageOf<Error>([&] { picture.ReadBmpFile(path); });
        EXPECT_EQ(error.rfind(path + ": ", 0), 0u) << error;
        return;
    }
    ASSERT_NO_THROW(picture.ReadBmpFile(path));
    if (suiteFile.Reference.empty()) return;

    const Ppm reference = ReadPpm(kSuiteDir + suiteFile.Reference);
    ASSERT_EQ(picture.Width(), reference.Width);
    ASSERT_EQ(picture.RowCount(), reference.Height);
    ASSERT_EQ(reference.Rgb.size(), std::size_t{3} * reference.Width * reference.Height);
    int mismatches = 0;
    for (int top = 0; top < reference.Height; ++top) {
        const std::int32_t row = picture.IsTopDown() ? top : picture.RowCount() - 1 - top;
        for (int column = 0; column < reference.Width; ++column) {
            const std::uint8_t* rgb =
                &reference.Rgb[3 * (std::size_t{1} * top * reference.Width + column)];
            const PixelColour pixel = picture.ReadPixel(row, column);
            if (pixel != MakeColour(rgb[0], rgb[1], rgb[2]) && ++mismatches <= 3) {
                ADD_FAILURE() << "pixel at top row " << top << ", column " << column << " is "
                              << int{pixel.Red} << "," << int{pixel.Green} << "," << int{pixel.Blue}
                              << ", expected " << int{rgb[0]} << "," << int{rgb[1]} << ","
                              << int{rgb[2]};
            }
        }
    }
    EXPECT_EQ(mismatches, 0);
}

std::string TestName(const ::testing::TestParamInfo<SuiteFile>& info) {
    std::string name = info.param.File.substr(0, info.param.File.size() - 4);
    for (char& c : name) {
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
    }
    return name;
}

INSTANTIATE_TEST_SUITE_P(Corpus, BmpSuiteTest, ::testing::ValuesIn(LoadIndex()), TestName);
// Without the suite there is nothing to instantiate; the test below says why.
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(BmpSuiteTest);

TEST(BmpSuiteIndexTest, ListsTheWholeCorpus) {
    ORVALIS_SKIP_WITHOUT_BMP_SUITE();
    EXPECT_EQ(LoadIndex().size(), 88u);
}

}  // namespace
}  // namespace orvalis
