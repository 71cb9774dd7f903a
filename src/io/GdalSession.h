#pragma once

#include <string>

#include <cpl_error.h>

namespace orvalis {

// Registers GDAL's drivers once per process, with no ".aux.xml" files
// written beside the user's pictures.
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
