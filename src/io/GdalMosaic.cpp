#include "io/GdalMosaic.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <system_error>

#include <gdal_priv.h>
#include <ogr_spatialref.h>
#include <vrtdataset.h>

#include "files/Error.h"
#include "io/GdalSession.h"

namespace orvalis {

namespace fs = std::filesystem;

namespace {

// Each source file stays open while the mosaic is read.
constexpr std::size_t kMostSourceFiles = 10'000;

std::string SourceText(const MosaicSource& source) { return "its source '" + DisplayPath(source.Name) + "' "; }

// Names that GDAL would take for something other than a file on this machine.
void CheckName(const std::string& path, const MosaicSource& source) {
    const std::string& name = source.Name;
    const char* problem = nullptr;
    if (name.empty()) problem = "is an empty name";
    else if (name.starts_with("/vsi")) problem = "names one of GDAL's virtual file systems; only plain files are read";
    else if (name.find("://") != std::string::npos) problem = "is a network address; only files on this machine are read";
    else if (name.find(':') != std::string::npos) problem = "names a part of a file through a driver's prefix; only whole files are read";
    if (problem) throw Error(path, SourceText(source) + problem);
}

bool IsWithin(const fs::path& file, const fs::path& folder) {
    const auto [inFolder, inFile] = std::mismatch(folder.begin(), folder.end(), file.begin(), file.end());
    return inFolder == folder.end() && inFile != file.end();
}

// Where the source's file really lies, once every link and ".." is
// followed: in the folder or below it.
std::string Located(const std::string& path, const fs::path& folder, const MosaicSource& source) {
    const fs::path named = source.RelativeToMosaic ? folder / source.Name : fs::path(source.Name);
    std::error_code error;
    const fs::path real = fs::canonical(named, error);
    if (error == std::errc::no_such_file_or_directory) throw Error(path, SourceText(source) + "is missing");
    if (error) throw Error(path, SourceText(source) + "cannot be reached (" + error.message() + ")");
    if (!IsWithin(real, folder)) {
        throw Error(path, SourceText(source) + "lies outside the mosaic's folder (at " + DisplayPath(real.string()) + ")");
    }
    return real.string();
}

// A regular file, and no mosaic.
void CheckPlainFile(const std::string& path, const MosaicSource& source, const std::string& file) {
    try {
        if (IsMosaic(InputFile(file))) {
            throw Error(path, SourceText(source) + "is a mosaic itself; mosaics of mosaics are not supported");
        }
    } catch (const InputFileError& e) {
        throw Error(path, SourceText(source) + e.Problem());
    }
}

std::unique_ptr<GdalRaster> OpenSource(const std::string& path, const MosaicSource& source, const std::string& file,
                                       const CancelFlag* cancel) {
    try {
        return std::make_unique<GdalRaster>(file, cancel, GdalRole::MosaicSource);
    } catch (const Error& e) {
        throw Error(path, SourceText(source) + "cannot be read: " + e.what());
    }
}

GDALDataset& DatasetOf(const GdalRaster& file) {
    return *GDALDataset::FromHandle(static_cast<GDALDatasetH>(file.Dataset()));
}

// The piece's place in the mosaic; GDAL's defaults when the mosaic gives none.
void AddPiece(const std::string& path, VRTSourcedRasterBand& band, const MosaicSource& piece, GDALRasterBand& source) {
    const MosaicRect from = piece.From.value_or(
        MosaicRect{0, 0, static_cast<double>(source.GetXSize()), static_cast<double>(source.GetYSize())});
    const MosaicRect to = piece.To.value_or(from);
    const CPLErr added =
        piece.Complex ? band.AddComplexSource(&source, from.X, from.Y, from.Width, from.Rows, to.X, to.Y, to.Width,
                                              to.Rows, piece.ScaleOffset, piece.ScaleRatio,
                                              piece.NoData.value_or(VRT_NODATA_UNSET))
                      : band.AddSimpleSource(&source, from.X, from.Y, from.Width, from.Rows, to.X, to.Y, to.Width,
                                             to.Rows, "near");
    if (added != CE_None) throw Error(path, SourceText(piece) + "cannot be placed" + QuietGdal::LastMessage());
}

}  // namespace

GdalMosaic::GdalMosaic(const std::string& path, const InputFile& file, const CancelFlag* cancel)
    : path_(path), description_(ReadMosaicDescription(file)) {
    std::error_code error;
    const fs::path folder = fs::canonical(fs::absolute(path).parent_path(), error);
    if (error) throw Error(path, "its folder cannot be reached (" + error.message() + ")");
    for (const MosaicBand& band : description_.Bands) {
        for (const MosaicSource& source : band.Sources) CheckName(path, source);
    }
    // Every source is found, then every file checked, before any is read.
    std::map<std::string, std::size_t> known;
    std::vector<std::pair<const MosaicSource*, std::string>> files;
    for (const MosaicBand& band : description_.Bands) {
        std::vector<std::size_t>& of = fileOf_.emplace_back();
        for (const MosaicSource& source : band.Sources) {
            const auto [entry, added] = known.emplace(Located(path, folder, source), files.size());
            if (added) files.emplace_back(&source, entry->first);
            of.push_back(entry->second);
        }
    }
    if (files.size() > kMostSourceFiles) {
        throw Error(path, "a mosaic of more than " + std::to_string(kMostSourceFiles) + " files is not supported");
    }
    for (const auto& [source, real] : files) CheckPlainFile(path, *source, real);
    for (const auto& [source, real] : files) files_.push_back(OpenSource(path, *source, real, cancel));
    CheckBands();
}

GdalMosaic::~GdalMosaic() = default;

void GdalMosaic::CheckBands() const {
    for (std::size_t b = 0; b < description_.Bands.size(); ++b) {
        for (std::size_t s = 0; s < fileOf_[b].size(); ++s) {
            const MosaicSource& source = description_.Bands[b].Sources[s];
            const GdalRaster& file = *files_[fileOf_[b][s]];
            if (source.Band > DatasetOf(file).GetRasterCount()) {
                throw Error(path_, SourceText(source) + "has no band " + std::to_string(source.Band));
            }
            // GDAL marks signed bytes in a file's metadata, which a mosaic's band does not keep.
            if (file.Layout().SampleType == "Int8") {
                throw Error(path_, SourceText(source) + "holds signed bytes, which a mosaic reads as unsigned ones");
            }
        }
    }
}

void* GdalMosaic::Build() const {
    auto mosaic = std::make_unique<VRTDataset>(description_.Width, description_.Rows);
    for (std::size_t b = 0; b < description_.Bands.size(); ++b) {
        const MosaicBand& band = description_.Bands[b];
        mosaic->AddBand(GDALGetDataTypeByName(band.DataType.c_str()), nullptr);
        auto& target = *static_cast<VRTSourcedRasterBand*>(mosaic->GetRasterBand(static_cast<int>(b) + 1));
        if (band.NoData) target.SetNoDataValue(*band.NoData);
        for (std::size_t s = 0; s < band.Sources.size(); ++s) {
            const MosaicSource& piece = band.Sources[s];
            AddPiece(path_, target, piece, *DatasetOf(*files_[fileOf_[b][s]]).GetRasterBand(piece.Band));
        }
    }
    if (description_.Transform) {
        std::array<double, 6> transform = *description_.Transform;
        mosaic->SetGeoTransform(transform.data());
    }
    if (!description_.Crs.empty()) {
        // Codes and WKT only: no file and no network is looked at.
        OGRSpatialReference system;
        if (system.SetFromUserInput(description_.Crs.c_str(), OGRSpatialReference::SET_FROM_USER_INPUT_LIMITATIONS_get()) !=
            OGRERR_NONE) {
            throw Error(path_, "its coordinate system '" + DisplayPath(description_.Crs) + "' is not understood");
        }
        mosaic->SetSpatialRef(&system);
    }
    return GDALDataset::ToHandle(mosaic.release());
}

std::uint64_t GdalMosaic::SourceDecoderBytes() const {
    std::uint64_t bytes = 0;
    for (const auto& file : files_) bytes += file->OwnDecoderBytes();
    return bytes;
}

}  // namespace orvalis
