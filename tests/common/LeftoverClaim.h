#pragma once

#include <filesystem>

#include "common/Files.h"
#include "files/Leftovers.h"

namespace orvalis::test {

// A placeholder as a run that ended abruptly leaves it.
inline void WriteLeftoverClaim(const std::filesystem::path& path) {
    WriteBytes(path, kClaimText);
    std::filesystem::permissions(path, std::filesystem::perms::owner_read | std::filesystem::perms::group_read |
                                           std::filesystem::perms::others_read);
}

}  // namespace orvalis::test
