#pragma once

#include <string>
#include <vector>

#include "generation/WorldPlan.h"
#include "io/WorldStatistics.h"

namespace orvalis::cli {

// A word as a POSIX shell reads it back unchanged: as it is when it holds
// only letters, digits and _@%+=:,./- (and is not empty), else in single
// quotes, each ' written '\''.
std::string ShellQuoted(const std::string& word);

// The world's statistics as --world-stats takes them: "LOW:HIGH" of its
// heights, then ",LOW:HIGH" of its real samples when it has them, each
// number in the shortest text that reads back as the same double.
std::string WorldStatsText(const WorldStatistics& statistics);

// jobs.txt: one command line a tile, row by row from the north, each the
// words of `run` followed by --tile C,R and --world-stats, quoted for the
// shell, so that `parallel < jobs.txt` or `bash -c "$line"` runs it.
std::string JobLines(const std::vector<std::string>& run, const WorldPlan& plan, const WorldStatistics& statistics);

}  // namespace orvalis::cli
