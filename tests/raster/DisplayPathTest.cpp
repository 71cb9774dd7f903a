#include "raster/DisplayPath.h"

#include <gtest/gtest.h>

#include <string>

#include "raster/Error.h"

namespace orvalis {
namespace {

TEST(DisplayPath, ShowsEveryHiddenCharacterAndNothingElseChanges) {
    struct Case {
        std::string Path;
        std::string Shown;
    };
    const Case cases[] = {
        {"maps/h\xC3\xBCgel 1.bmp", "maps/h\xC3\xBCgel 1.bmp"},  // valid UTF-8 stays
        {"a\tb\rc\nd", "a\\tb\\rc\\nd"},
        {std::string("a\0b", 3) + "\x1B\x7F", "a\\x00b\\x1B\\x7F"},
        {"\xEF\xBB\xBFterrain.bmp", "<U+FEFF>terrain.bmp"},
        {"zero\xE2\x80\x8Bwidth", "zero<U+200B>width"},
        {"evil\xE2\x80\xAEpmb.exe", "evil<U+202E>pmb.exe"},   // right-to-left override
        {"iso\xE2\x81\xA6x\xE2\x81\xA9", "iso<U+2066>x<U+2069>"},  // bidi isolates
        {"c1\xC2\x85", "c1<U+0085>"},
        {"w\xE4sser.bmp", "w\\xE4sser.bmp"},                  // Latin-1, not UTF-8
        {"\xC0\xAF\xED\xA0\x80\xF4\x90\x80\x80", "\\xC0\\xAF\\xED\\xA0\\x80\\xF4\\x90\\x80\\x80"},
        {"cut\xE2\x82", "cut\\xE2\\x82"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(DisplayPath(c.Path), c.Shown) << ::testing::PrintToString(c.Path);
    }
}

TEST(DisplayPath, CutsALongPathInTheMiddleBetweenCharacters) {
    const std::string exact(kLongestDisplayedPath, 'a');
    EXPECT_EQ(DisplayPath(exact), exact);

    const std::string head = "/home/user/" + std::string(200, 'x');
    const std::string tail = std::string(200, 'y') + "/terrain.bmp";
    std::string euros;
    for (int i = 0; i < 1000; ++i) euros += "\xE2\x82\xAC";  // three bytes each
    const std::string shown = DisplayPath(head + euros + "\t" + tail);
    const std::size_t kept = kLongestDisplayedPath / 2;
    EXPECT_EQ(shown, head.substr(0, kept) + "..." + tail.substr(tail.size() - kept));

    const std::string shownEuros = DisplayPath(euros);
    EXPECT_EQ(shownEuros, euros.substr(0, 3 * kept) + "..." + euros.substr(0, 3 * kept));
}

TEST(DisplayPath, EveryPathInAnErrorIsShownSo) {
    EXPECT_STREQ(Error("\xEF\xBB\xBF" "a.bmp\r", "Datei nicht gefunden").what(),
                 "<U+FEFF>a.bmp\\r: Datei nicht gefunden");
    EXPECT_EQ(std::string(Error(std::string(10'000'000, 'p'), "x").what()).size(),
              kLongestDisplayedPath + 3 + 3);
}

}  // namespace
}  // namespace orvalis
