#include "io/BmpSamples.h"

#include <utility>

namespace orvalis {

BmpSamples::BmpSamples(TDibBuffer pixels) : pixels_(std::move(pixels)) {
    layout_ = RasterSamples{"BMP", "Byte", 8, pixels_.Width(), pixels_.RowCount(), 3, SampleKind::Byte, {}, {}, {}};
}

void BmpSamples::ReadWindow(const SampleWindow& window, RasterSamples& band) const {
    band = layout_;
    band.Width = window.Width;
    band.Rows = window.Rows;
    band.Whole.clear();
    band.Whole.reserve(static_cast<std::size_t>(window.Width) * window.Rows * 3);
    for (std::int32_t y = window.Row; y < window.Row + window.Rows; ++y) {
        const std::int32_t row = pixels_.BufferRow(y);
        for (std::int32_t x = window.Column; x < window.Column + window.Width; ++x) {
            const PixelColour colour = pixels_.ReadPixel(row, x);
            band.Whole.insert(band.Whole.end(), {colour.Red, colour.Green, colour.Blue});
        }
    }
}

}  // namespace orvalis
