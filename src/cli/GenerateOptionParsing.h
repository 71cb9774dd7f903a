#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "blending/SettingsCheck.h"
#include "generation/GenerationRequest.h"

namespace orvalis::cli {

// One option as the command line gave it, with its value when it takes one.
struct GivenOption {
    std::string Name;
    std::optional<std::string> Value;
};

// The command line's words for one run: the request, what it leaves to the
// info file, and every option as given.
struct GenerateOptions {
    std::string InfoFile = "default.txt";
    std::optional<std::string> Heightmap;
    std::optional<std::array<std::string, kTileCount>> Tiles;
    bool Quiet = false;
    bool ClassicLightGiven = false;  // --light-dir or --sun-pos
    GenerationRequest Request;
    std::vector<GivenOption> Given;
};

// Options of a command built on generate's: takes `option` (and its value,
// through `value`) when it is one of them.
using MoreOptions =
    std::function<bool(const std::string& option, const std::function<const std::string&()>& value)>;

// The options of generate, and `more`, with --size up to largestSize, checked
// as one request; UsageError for any that is unknown, out of range or does
// not go with the others.
GenerateOptions ParseGenerateOptions(const std::vector<std::string>& args,
                                     std::int32_t largestSize = kLargestTextureSize, const MoreOptions& more = {});

// The heightmap and tiles the command line leaves open, from the info file.
void FillFromInfoFile(GenerateOptions& options);

// A whole decimal number and nothing else, within [lowest, highest];
// UsageError naming the option otherwise.
int ParseWholeNumber(const std::string& option, const std::string& text, int lowest, int highest);

}  // namespace orvalis::cli
