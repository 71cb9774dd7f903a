#pragma once

#include <string>

namespace orvalis {

// What the command line may change about a window's start.
struct WindowOptions {
    // The texture-info file read at start-up; relative to the current folder.
    std::string SetUpFile = "default.txt";
    // Draw the preview at most once per refresh of the screen instead of as
    // often as the event loop allows.
    bool CapFrameRate = false;
};

}  // namespace orvalis
