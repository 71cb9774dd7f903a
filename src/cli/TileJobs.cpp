#include "cli/TileJobs.h"

#include "math/NumberText.h"

namespace orvalis::cli {

namespace {

bool NeedsNoQuotes(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
           std::string_view("_@%+=:,./-").find(c) != std::string_view::npos;
}

std::string RangeText(const HeightRange& range) { return NumberText(range.Low) + ":" + NumberText(range.High); }

}  // namespace

std::string ShellQuoted(const std::string& word) {
    bool plain = !word.empty();
    for (const char c : word) plain = plain && NeedsNoQuotes(c);
    if (plain) return word;
    std::string quoted = "'";
    for (const char c : word) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

std::string WorldStatsText(const WorldStatistics& statistics) {
    std::string text = RangeText(statistics.Heights);
    if (statistics.Samples) text += ',' + RangeText(*statistics.Samples);
    return text;
}

std::string JobLines(const std::vector<std::string>& run, const WorldPlan& plan, const WorldStatistics& statistics) {
    std::string common;
    for (const std::string& word : run) common += ShellQuoted(word) + " ";
    const std::string stats = " --world-stats " + ShellQuoted(WorldStatsText(statistics)) + "\n";
    std::string lines;
    for (std::int32_t row = 0; row < plan.Rows(); ++row) {
        for (std::int32_t column = 0; column < plan.Columns(); ++column) {
            lines += common + "--tile " + std::to_string(column) + "," + std::to_string(row) + stats;
        }
    }
    return lines;
}

}  // namespace orvalis::cli
