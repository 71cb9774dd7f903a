#pragma once

#include <cstdint>
#include <string>

#include <cpl_error.h>

namespace orvalis {

// GDAL's block cache: small, so that what a read holds is known. A block
// larger than the whole cache is still kept until another one needs room.
inline constexpr std::uint64_t kGdalCacheBytes = std::uint64_t{64} << 20;

// Registers GDAL's drivers once per process, with no ".aux.xml" files
// written beside the user's pictures, and the cache above.
void StartGdal();

// Keeps GDAL's messages off the terminal while it works for us, starting
// from no error, so that the last message is one of this work's own and can
// become part of our error.
class QuietGdal {
public:
    QuietGdal() {
        CPLPushErrorHandler(CPLQuietErrorHandler);
        CPLErrorReset();
    }
    QuietGdal(const QuietGdal&) = delete;
    QuietGdal& operator=(const QuietGdal&) = delete;
    ~QuietGdal() { CPLPopErrorHandler(); }

    // " (GDAL's last message)", or nothing when it gave none.
    static std::string LastMessage() {
        const std::string message = CPLGetLastErrorMsg();
        return message.empty() ? "" : " (" + message + ")";
    }
};

}  // namespace orvalis
