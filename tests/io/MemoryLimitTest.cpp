#include <cstdint>
#include <string>

#include <gtest/gtest.h>

#include "common/ErrorMessage.h"
#include "files/Error.h"
#include "io/MemoryLimit.h"

namespace orvalis {
namespace {

TEST(MemoryLimitTest, SizesAreBytesOrPowersOf1024) {
    const struct {
        const char* Text;
        std::uint64_t Bytes;
    } sizes[] = {{"1", 1}, {"4096", 4096}, {"800M", 800ULL << 20}, {"4G", 4ULL << 30}, {"2t", 2ULL << 40},
                 {"3k", 3072}, {"16777215T", 16777215ULL << 40}};
    for (const auto& s : sizes) EXPECT_EQ(ParseMemorySize(s.Text), s.Bytes) << s.Text;
    for (const char* bad : {"", "0", "0G", "-1", "1.5G", "G", "4GB", "4 G", "12X", "16777216T",
                            "18446744073709551616"}) {
        std::string quoted = "'";
        quoted.append(bad).append("'");
        EXPECT_NE(test::MessageOf<Error>([&] { ParseMemorySize(bad); }).find(quoted), std::string::npos) << bad;
    }
}

TEST(MemoryLimitTest, NeedsAboveTheLimitAreToldApart) {
    const struct {
        std::uint64_t Bytes;
        const char* Text;
    } sizes[] = {{0, "0 bytes"}, {1023, "1023 bytes"}, {1024, "1.00 KiB"}, {1536, "1.50 KiB"},
                 {50 << 20, "50.0 MiB"}, {3ULL << 30, "3.00 GiB"}, {1000ULL << 30, "1000 GiB"}};
    for (const auto& s : sizes) EXPECT_EQ(DescribeBytes(s.Bytes), s.Text);
    EXPECT_EQ(test::MessageOf<Error>([] { CheckMemoryNeed("h.png", 3ULL << 30, 2ULL << 30); }),
              "h.png: reading it needs 3.00 GiB of memory, more than the memory limit of 2.00 GiB");
    // Equal texts would hide which is larger: the bytes tell.
    EXPECT_EQ(test::MessageOf<Error>([] { CheckMemoryNeed("h.png", (1ULL << 30) + 1, 1ULL << 30); }),
              "h.png: reading it needs 1073741825 bytes of memory, more than the memory limit of 1073741824 bytes");
    EXPECT_EQ(test::MessageOf<Error>([] { CheckMemoryNeed("h.png", 1ULL << 30, 1ULL << 30); }), test::kNoError);
    EXPECT_GT(DefaultMemoryLimit(), 0u);
}

}  // namespace
}  // namespace orvalis
