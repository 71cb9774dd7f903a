#include "app/DibImage.h"

#include "files/Error.h"

namespace orvalis {

QImage DibToImage(const TDibBuffer& picture) {
    if (picture.IsEmpty()) return QImage();
    const std::int32_t width = picture.Width();
    const std::int32_t rows = picture.RowCount();
    QImage image(width, rows, QImage::Format_RGB32);
    if (image.isNull()) {
        throw Error("a " + std::to_string(width) + " x " + std::to_string(rows) +
                          " picture is too large to show");
    }
    for (std::int32_t y = 0; y < rows; ++y) {
        const std::int32_t row = picture.BufferRow(y);
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (std::int32_t x = 0; x < width; ++x) {
            const PixelColour c = picture.ReadPixel(row, x);
            line[x] = qRgb(c.Red, c.Green, c.Blue);
        }
    }
    return image;
}

QImage ReadPicture(const std::string& path) { return DibToImage(ReadPictureFile(path).Pixels); }

}  // namespace orvalis
