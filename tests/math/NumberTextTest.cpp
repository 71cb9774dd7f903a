#include <optional>

#include <gtest/gtest.h>

#include "math/NumberText.h"

namespace orvalis {
namespace {

// Only a whole finite decimal is a number; written numbers read back the same.
TEST(NumberTextTest, ReadsWholeFiniteDecimalsAndWritesTheShortestText) {
    const char* notNumbers[] = {"", " 1", "1 ", "+1", "1,5", "0x10", "inf", "nan", "1e400"};
    for (const char* text : notNumbers) EXPECT_EQ(NumberFromText(text), std::nullopt) << text;
    for (const double value : {0.1, -2.5, 1e12, 1.0 / 3, 5e-324}) EXPECT_EQ(NumberFromText(NumberText(value)), value);
    EXPECT_EQ(NumberText(0.1), "0.1");
    EXPECT_EQ(NumberText(1e12), "1e+12");
}

}  // namespace
}  // namespace orvalis
