#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "files/Cancellation.h"
#include "files/InputFile.h"
#include "io/GdalFileView.h"
#include "io/RasterSamples.h"
#include "io/SampleSource.h"

namespace orvalis {

// A picture file that GDAL reads for us: opened by us, shown to GDAL alone
// (see GdalFileView), checked before anything is decoded. Raises Error
// naming the file, or RunCancelled once the cancel flag is set.
class GdalRaster : public SampleSource {
public:
    GdalRaster(const std::string& path, const CancelFlag* cancel);
    GdalRaster(const GdalRaster&) = delete;
    GdalRaster& operator=(const GdalRaster&) = delete;
    ~GdalRaster() override;

    const RasterSamples& Layout() const override { return layout_; }
    std::int32_t BandRows() const override { return bandRows_; }
    // GDAL's block cache, the block in use and the whole pictures some
    // decoders keep.
    std::uint64_t DecoderBytes() const override { return decoderBytes_; }
    void ReadRows(std::int32_t first, std::int32_t count, RasterSamples& band) const override;

private:
    // GDALClose, kept out of this header.
    struct CloseDataset {
        void operator()(void* dataset) const;
    };

    void OpenHeaderBeside();
    void Describe();
    void PlanBands();
    void ReadWhole(std::int32_t first, RasterSamples& band) const;
    void ReadReal(std::int32_t first, RasterSamples& band) const;
    void DropReadBlocks() const;
    [[noreturn]] void RefuseRead() const;

    std::string path_;
    const CancelFlag* cancel_;
    InputFile file_;
    std::optional<InputFile> header_;  // an EHdr pair's ".hdr"
    std::string headerProblem_;        // why a ".hdr" beside it was left out
    std::unique_ptr<GdalFileView> view_;
    std::unique_ptr<void, CloseDataset> dataset_;  // closed before the view goes
    RasterSamples layout_;
    bool signedBytes_ = false;  // GDAL 3.6 gives signed bytes as Byte
    std::int32_t bandRows_ = 1;
    bool bandsEndWithBlocks_ = false;  // then no band needs a block of the one before
    std::uint64_t decoderBytes_ = 0;
};

}  // namespace orvalis
