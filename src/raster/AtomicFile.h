#pragma once

#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>

namespace orvalis {

// Writes the parts into a temporary file beside the target and renames it
// over the target, so that a failed write leaves an earlier file intact.
// Raises RasterError naming the file.
void WriteFileAtomically(const std::string& path,
                         std::initializer_list<std::span<const std::uint8_t>> parts);

}  // namespace orvalis
