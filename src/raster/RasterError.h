#pragma once

#include <stdexcept>
#include <string>

namespace orvalis {

// A picture or file that cannot be used. The message names the file (when
// there is one) and the problem: "hills.bmp: Datei nicht gefunden".
class RasterError : public std::runtime_error {
public:
    explicit RasterError(const std::string& problem) : std::runtime_error(problem) {}
    RasterError(const std::string& path, const std::string& problem)
        : std::runtime_error(path + ": " + problem) {}
};

}  // namespace orvalis
