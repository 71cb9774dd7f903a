#pragma once

#include <string>

#include <QImage>

#include "io/PictureFile.h"
#include "raster/DibBuffer.h"

namespace orvalis {

// The picture as it is seen: top row first, whatever the buffer's depth and
// row order. An empty buffer gives a null image.
QImage DibToImage(const TDibBuffer& picture);

// Reads a picture file of any supported format with the reader the
// generation uses, so that the window shows exactly what it will use.
// Raises the reader's error naming the file.
QImage ReadPicture(const std::string& path);

}  // namespace orvalis
