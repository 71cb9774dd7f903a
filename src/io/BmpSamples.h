#pragma once

#include "io/SampleSource.h"
#include "raster/DibBuffer.h"

namespace orvalis {

// A BMP picture read whole, as a source of red, green and blue bytes: a
// world reads its windows as those of any other file, and MakePicture
// gives them the very colours of the picture.
class BmpSamples : public SampleSource {
public:
    explicit BmpSamples(TDibBuffer pixels);

    const RasterSamples& Layout() const override { return layout_; }
    std::int32_t BandRows() const override { return RowsPerBand(layout_.Width, layout_.Rows); }
    std::uint64_t DecoderBytes() const override { return 0; }
    void ReadWindow(const SampleWindow& window, RasterSamples& band) const override;

private:
    TDibBuffer pixels_;
    RasterSamples layout_;
};

}  // namespace orvalis
