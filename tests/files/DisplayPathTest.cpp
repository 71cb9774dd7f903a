#include "files/DisplayPath.h"

#include <gtest/gtest.h>

#include <string>

#include "files/Error.h"

namespace orvalis {
namespace {

TEST(DisplayPath, ShowsEveryHiddenCharacterAndNothingElseChanges) {
    const std::pair<std::string, std::string> cases[] = {
        {"maps/h\xC3\xBCgel 1.bmp", "maps/h\xC3\xBCgel 1.bmp"},  // valid UTF-8 stays
        {std::string("a\tb\rc\nd\0\x1B\x7F", 10), "a\\tb\\rc\\nd\\x00\\x1B\\x7F"},
        {"\xEF\xBB\xBFzero\xE2\x80\x8Bwidth", "<U+FEFF>zero<U+200B>width"},
        {"evil\xE2\x80\xAEpmb.exe\xC2\x85", "evil<U+202E>pmb.exe<U+0085>"},  // bidi, C1
        {"w\xE4sser.bmp", "w\\xE4sser.bmp"},                                // Latin-1
        {"\xC0\xAF\xED\xA0\x80" "cut\xE2\x82", "\\xC0\\xAF\\xED\\xA0\\x80cut\\xE2\\x82"},
    };
    for (const auto& [path, shown] : cases) {
        EXPECT_EQ(DisplayPath(path), shown) << ::testing::PrintToString(path);
    }
}

TEST(DisplayPath, CutsALongPathInTheMiddleBetweenCharacters) {
    const std::string exact(kLongestDisplayedPath, 'a');
    EXPECT_EQ(DisplayPath(exact), exact);
    const std::size_t kept = kLongestDisplayedPath / 2;
    std::string euros;
    for (std::size_t i = 0; i < kept; ++i) euros += "\xE2\x82\xAC";  // three bytes each
    const std::string tail = std::string(kept - 4, 'y') + ".bmp";
    EXPECT_EQ(DisplayPath(euros + std::string(10'000'000, '\t') + tail), euros + "..." + tail);
    EXPECT_STREQ(Error("\xEF\xBB\xBF" "a.bmp\r", "Datei nicht gefunden").what(),
                 "<U+FEFF>a.bmp\\r: Datei nicht gefunden");
}

}  // namespace
}  // namespace orvalis
