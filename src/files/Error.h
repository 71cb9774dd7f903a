#pragma once

#include <stdexcept>
#include <string>

#include "files/DisplayPath.h"

namespace orvalis {

// Every fault caused by input from outside (a file, a text, a number, a
// path) is an Error. The message names the file (when there is one) and the
// problem: "hills.bmp: Datei nicht gefunden". The path is quoted as
// DisplayPath shows it, so no message hides a character or runs for pages.
class Error : public std::runtime_error {
public:
    explicit Error(const std::string& problem) : std::runtime_error(problem) {}
    Error(const std::string& path, const std::string& problem)
        : std::runtime_error(DisplayPath(path) + ": " + problem) {}
};

}  // namespace orvalis
