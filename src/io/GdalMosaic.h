#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "files/Cancellation.h"
#include "files/InputFile.h"
#include "io/GdalRaster.h"
#include "io/MosaicDescription.h"

namespace orvalis {

// A mosaic of picture files in GDAL's VRT format, as gdalbuildvrt writes
// it, read as one picture. Its description is checked first
// (ReadMosaicDescription), then the name of every source: a regular file in
// the mosaic's folder or below it (after every "..", and wherever links
// lead), named as a plain path (no network address, none of GDAL's file
// systems, no driver's prefix), not a mosaic itself. Only then is any
// source opened by GDAL, each as a GeoTIFF, HGT or PNG file by the rules of
// a single file. The mosaic's dataset is built from the description with
// the bands of those opened files, so GDAL never opens a file by a name the
// mosaic gives. Raises Error naming the mosaic, the source and the problem.
class GdalMosaic {
public:
    GdalMosaic(const std::string& path, const InputFile& file, const CancelFlag* cancel);
    GdalMosaic(const GdalMosaic&) = delete;
    GdalMosaic& operator=(const GdalMosaic&) = delete;
    ~GdalMosaic();

    // A new dataset of the mosaic (a GDALDatasetH) that reads the sources:
    // the caller closes it before this goes.
    void* Build() const;
    // What the sources' decoders hold of their own while it is read.
    std::uint64_t SourceDecoderBytes() const;

private:
    void CheckBands() const;

    std::string path_;
    MosaicDescription description_;
    std::vector<std::unique_ptr<GdalRaster>> files_;  // each source file once
    std::vector<std::vector<std::size_t>> fileOf_;    // of each band's sources, in order
};

}  // namespace orvalis
