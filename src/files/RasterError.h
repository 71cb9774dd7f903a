#pragma once

#include "files/Error.h"

namespace orvalis {

// A picture or file that cannot be used.
class RasterError : public Error {
public:
    using Error::Error;
};

}  // namespace orvalis
