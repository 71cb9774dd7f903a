#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "math/NumberText.h"

namespace orvalis {
namespace {

TEST(NumberTextTest, ReadsOnlyAWholeFiniteDecimal) {
    struct Case {
        const char* Text;
        std::optional<double> Value;
    };
    const Case cases[] = {
        {"12", 12},          {"-0.5", -0.5},      {"1e3", 1000},         {"", std::nullopt},
        {" 1", std::nullopt}, {"1 ", std::nullopt}, {"+1", std::nullopt},  {"1,5", std::nullopt},
        {"inf", std::nullopt}, {"nan", std::nullopt}, {"1e400", std::nullopt}, {"0x10", std::nullopt},
    };
    for (const Case& c : cases) EXPECT_EQ(NumberFromText(c.Text), c.Value) << c.Text;
}

// Written numbers read back as the same value, in the fewest digits.
TEST(NumberTextTest, WritesTheShortestTextThatReadsBack) {
    for (const double value : {0.0, 0.1, -2.5, 1e12, 1.0 / 3, 5e-324, 123456789.125}) {
        EXPECT_EQ(NumberFromText(NumberText(value)), value) << NumberText(value);
    }
    EXPECT_EQ(NumberText(0.1), "0.1");
    EXPECT_EQ(NumberText(360), "360");
    EXPECT_EQ(NumberText(1e12), "1e+12");
}

}  // namespace
}  // namespace orvalis
