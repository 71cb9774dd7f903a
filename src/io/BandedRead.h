#pragma once

#include <string>

#include "io/PictureFile.h"
#include "io/SampleSource.h"

namespace orvalis {

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
