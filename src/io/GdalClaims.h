#pragma once

#include <cstdint>
#include <string>

#include "io/RasterSamples.h"

namespace orvalis {

// How a format keeps its samples, which bounds what a file can claim.
enum class Storage {
    Stored,      // as they are: the file holds its pixels
    Text,        // as numbers in text: at least one character a sample
    Compressed,  // by a codec: only the memory limit bounds the claim
};

// What a file claims must fit what it can hold: stored data expand little,
// text takes at least a character a sample. Asked of the reads that pass
// over the whole picture; a window holds only its own cells.
bool ClaimFits(Storage storage, const RasterSamples& layout, int sampleBytes, std::uint64_t fileSize);

// GDAL decodes whole blocks (strips, tiles), which a file may declare far
// larger than its picture; a strip of a wide picture is as wide as it.
// Raises Error naming the file.
void CheckBlockClaims(const std::string& path, Storage storage, const RasterSamples& layout,
                      std::int64_t blockWidth, std::int64_t blockRows, int sampleBytes, std::uint64_t fileSize);

}  // namespace orvalis
