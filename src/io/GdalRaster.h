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

class GdalMosaic;

// How a file is opened: as the picture the user named (any format we read,
// or a mosaic of files beside it, see GdalMosaic), or as one source of a
// mosaic, which is a GeoTIFF, HGT or PNG file.
enum class GdalRole { Picture, MosaicSource };

// A picture file that GDAL reads for us: opened by us, shown to GDAL alone
// (see GdalFileView), checked before anything is decoded. It may be larger
// than one picture (up to kLargestWorldSide a side), and is then read in
// windows. Raises Error naming the file, or RunCancelled once the cancel
// flag is set.
class GdalRaster : public SampleSource {
public:
    GdalRaster(const std::string& path, const CancelFlag* cancel, GdalRole role = GdalRole::Picture);
    GdalRaster(const GdalRaster&) = delete;
    GdalRaster& operator=(const GdalRaster&) = delete;
    ~GdalRaster() override;

    const RasterSamples& Layout() const override { return layout_; }
    std::int32_t BandRows() const override { return bandRows_; }
    // GDAL's block cache, the block in use and the whole pictures some
    // decoders keep.
    std::uint64_t DecoderBytes() const override { return cacheBytes_ + ownDecoderBytes_; }
    // The part of DecoderBytes that is this file's own: all of it but
    // GDAL's block cache, which every file shares.
    std::uint64_t OwnDecoderBytes() const { return ownDecoderBytes_; }
    // The open dataset (a GDALDatasetH) for a mosaic that reads from it; it
    // is closed when this goes.
    void* Dataset() const { return dataset_.get(); }
    // Besides its size, what the file claims must fit what it can hold
    // (stored samples expand little, text takes a character a sample).
    void CheckWholeRead() const override;
    void ReadWindow(const SampleWindow& window, RasterSamples& band) const override;

private:
    // GDALClose, kept out of this header.
    struct CloseDataset {
        void operator()(void* dataset) const;
    };

    void OpenFile(GdalRole role);
    void OpenHeaderBeside();
    void Describe();
    void PlanBands();
    void ReadWhole(const SampleWindow& window, RasterSamples& band) const;
    void ReadReal(const SampleWindow& window, RasterSamples& band) const;
    void DropReadBlocks() const;
    [[noreturn]] void RefuseRead() const;

    std::string path_;
    const CancelFlag* cancel_;
    InputFile file_;
    std::optional<InputFile> header_;  // an EHdr pair's ".hdr"
    std::string headerProblem_;        // why a ".hdr" beside it was left out
    std::unique_ptr<GdalFileView> view_;
    std::unique_ptr<GdalMosaic> mosaic_;  // a mosaic's sources
    std::unique_ptr<void, CloseDataset> dataset_;  // closed before the view and the sources go
    RasterSamples layout_;
    bool signedBytes_ = false;  // GDAL 3.6 gives signed bytes as Byte
    std::int32_t bandRows_ = 1;
    bool bandsEndWithBlocks_ = false;  // then no band needs a block of the one before
    bool claimFits_ = true;
    std::uint64_t cacheBytes_ = 0;
    std::uint64_t ownDecoderBytes_ = 0;
};

}  // namespace orvalis
