#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "io/PictureFile.h"

namespace orvalis::cli {

// The value of `command`'s --memory-limit; UsageError when it is no SIZE.
std::uint64_t ParseMemoryLimit(const std::string& command, const std::string& text);

// Takes "--memory-limit SIZE" out of info's or convert's words, leaving their files.
void TakeMemoryLimit(const std::string& command, std::vector<std::string>& args,
                     PictureReadOptions& options);

}  // namespace orvalis::cli
