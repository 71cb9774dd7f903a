#pragma once

#include <string>

#include "generation/GenerationRequest.h"

namespace orvalis {

// A message of the request check with the command line's option names put
// into the words of the window and its Export dialog ("--world-file" becomes
// "a world file"), its first letter capital.
std::string InDialogWords(const std::string& message);

// CheckGenerationRequest, raising what it refuses as an Error in the
// window's words: the window asks the one check every run passes rather
// than restating its rules.
void CheckRequestInDialogWords(const GenerationRequest& request);

}  // namespace orvalis
