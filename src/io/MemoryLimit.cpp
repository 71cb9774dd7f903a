#include "io/MemoryLimit.h"

#include <unistd.h>

#include <cctype>
#include <charconv>
#include <cstdio>
#include <limits>

#include "files/DisplayPath.h"
#include "files/Error.h"

namespace orvalis {

namespace {

// Powers of 1024 by their letter; 0 for a letter that is none of them.
int PowerOf(char unit) {
    switch (std::toupper(static_cast<unsigned char>(unit))) {
        case 'K': return 1;
        case 'M': return 2;
        case 'G': return 3;
        case 'T': return 4;
        default: return 0;
    }
}

[[noreturn]] void RefuseSize(const std::string& text) {
    throw Error("a memory size is a whole number of bytes, or one followed by K, M, G or T "
                "(for example 800M or 4G), not '" + DisplayPath(text) + "'");
}

}  // namespace

std::uint64_t DefaultMemoryLimit() {
    const long pages = ::sysconf(_SC_PHYS_PAGES);
    const long pageSize = ::sysconf(_SC_PAGESIZE);
    // A system that cannot say keeps no limit of ours.
    if (pages <= 0 || pageSize <= 0) return std::numeric_limits<std::uint64_t>::max();
    return static_cast<std::uint64_t>(pages) / 2 * static_cast<std::uint64_t>(pageSize);
}

std::uint64_t ParseMemorySize(const std::string& text) {
    std::uint64_t value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (error != std::errc{} || stop == text.data() || value == 0) RefuseSize(text);
    int power = 0;
    if (stop != end) {
        power = PowerOf(*stop);
        if (power == 0 || stop + 1 != end) RefuseSize(text);
    }
    for (int i = 0; i < power; ++i) {
        if (value > std::numeric_limits<std::uint64_t>::max() / 1024) RefuseSize(text);
        value *= 1024;
    }
    return value;
}

std::string DescribeBytes(std::uint64_t bytes) {
    if (bytes < 1024) return std::to_string(bytes) + " bytes";
    const char* const units[] = {"KiB", "MiB", "GiB", "TiB", "PiB", "EiB"};
    double value = static_cast<double>(bytes) / 1024;
    int unit = 0;
    while (value >= 1024 && unit < 5) {
        value /= 1024;
        ++unit;
    }
    const int decimals = value < 10 ? 2 : value < 100 ? 1 : 0;
    char text[32];
    std::snprintf(text, sizeof text, "%.*f %s", decimals, value, units[unit]);
    return text;
}

void CheckMemoryNeed(const std::string& path, std::uint64_t need, std::uint64_t limit) {
    if (need <= limit) return;
    std::string needText = DescribeBytes(need), limitText = DescribeBytes(limit);
    if (needText == limitText) {
        needText = std::to_string(need) + " bytes";
        limitText = std::to_string(limit) + " bytes";
    }
    throw Error(path, "reading it needs " + needText + " of memory, more than the memory limit of " +
                          limitText);
}

}  // namespace orvalis
