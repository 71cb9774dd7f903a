#pragma once

#include <string>

#include "files/InputFile.h"
#include "io/SampleSource.h"

namespace orvalis {

// A headerless 16-bit little-endian square heightmap (".r16", ".raw"),
// read straight from the file.
class RawHeightmap : public SampleSource {
public:
    explicit RawHeightmap(const std::string& path);

    const RasterSamples& Layout() const override { return layout_; }
    std::int32_t BandRows() const override;
    std::uint64_t DecoderBytes() const override { return 0; }
    void ReadWindow(const SampleWindow& window, RasterSamples& band) const override;

private:
    InputFile file_;
    RasterSamples layout_;
};

}  // namespace orvalis
