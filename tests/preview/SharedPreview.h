#pragma once

#include <cstdint>

#include "preview/GlContext.h"

namespace orvalis::test {

// The one preview surface of the test run, started as the program starts it:
// the context is made and the texture-size limit read before the surface is
// shown. Its context stays current for the whole run.
struct SharedPreview {
    TPreviewSurface Surface;
    std::int32_t MaxTextureSizeAtStart = 0;
};

// Starts the surface on first use; a failed start fails the calling test.
SharedPreview& Preview();
// Closes the surface while the application still exists.
void ClosePreview();

}  // namespace orvalis::test
