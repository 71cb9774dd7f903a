#include "blending/BandHeights.h"

#include <gtest/gtest.h>

#include <string>

#include "common/ErrorMessage.h"
#include "files/Error.h"

namespace orvalis {
namespace {

TEST(ParseBandHeights, ReadsFiveFallingHeights) {
    EXPECT_EQ(ParseBandHeights("1000,500,0,-50,-100", "bands"), (BandHeights{1000, 500, 0, -50, -100}));
    EXPECT_EQ(ParseBandHeights("2.5,2,1e-3,0,-1e9", "bands"), (BandHeights{2.5, 2, 1e-3, 0, -1e9}));
}

// The message names what the caller calls the text, so that every caller
// says the same words.
TEST(ParseBandHeights, SaysWhatTheNamedValueWants) {
    const std::string kFive = "--bands wants five heights separated by commas, highest band first, not '";
    const std::string kFalling =
        "--bands wants each height below the one before it (H256 > H192 > H128 > H64 > H0), not '";
    const char* notFive[] = {"", "5,4,3,2", "5,4,3,2,1,0", "5,4,,2,1", "5,4,3,2,1,", "5,4,x,2,1", "5 ,4,3,2,1",
                             "5,4,inf,2,1"};
    for (const char* text : notFive) {
        EXPECT_EQ(test::MessageOf<Error>([&] { ParseBandHeights(text, "--bands"); }), kFive + text + "'");
    }
    const char* notFalling[] = {"1,2,3,4,5", "5,4,3,3,1", "5,4,3,2,2", "0,-1,-2,-3,-2"};
    for (const char* text : notFalling) {
        EXPECT_EQ(test::MessageOf<Error>([&] { ParseBandHeights(text, "--bands"); }), kFalling + text + "'");
    }
}

}  // namespace
}  // namespace orvalis
