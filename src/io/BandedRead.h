#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "io/PictureFile.h"
#include "io/SampleSource.h"

namespace orvalis {

// What reading `rows` rows of the layout takes: the samples as
// RasterSamples holds them, and the picture MakePicture makes of them.
std::uint64_t SampleBytes(const RasterSamples& layout, std::int64_t rows);
std::uint64_t PictureBytes(const RasterSamples& layout, std::int64_t rows);

// Real samples are decoded a band ahead when the run has threads to spare.
bool ReadsAhead(const PictureReadOptions& options);

// Runs `use` on each band of the source, its samples scaled to their kind
// (ScaleToKind), top band first, until the run is cancelled. With `ahead`,
// the next band is decoded on a thread of its own while `use` works on the
// one before, in a second buffer.
void ForEachBandReadAhead(const SampleSource& source, const CancelFlag* cancel, bool ahead,
                          const std::function<void(std::int32_t first, const RasterSamples& band)>& use);

// The picture of a source, made band by band by MakePicture, so that no
// copy of the whole file's samples is ever held. Real samples are read
// first into the picture's heights, to find their range, and then mapped
// there. Raises Error naming the file when the picture, one band and the
// decoder together need more than the memory limit.
Picture ReadPictureInBands(const std::string& path, const SampleSource& source,
                           const PictureReadOptions& options);

// The facts of a source, from one band at a time.
PictureFacts ReadFactsInBands(const std::string& path, const SampleSource& source,
                              const PictureReadOptions& options);

}  // namespace orvalis
