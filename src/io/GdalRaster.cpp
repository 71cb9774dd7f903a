#include <cmath>
#include <cstdint>
#include <filesystem>
#include <limits>
#include <mutex>
#include <string>

#include <cpl_conv.h>
#include <cpl_error.h>
#include <gdal.h>

#include "io/GdalGeoReference.h"
#include "io/GdalSession.h"
#include "io/RasterSamples.h"
#include "files/Error.h"

namespace orvalis {

namespace {

// The drivers we read: pictures and elevation grids that stand alone.
// Formats that point at other files or at the network (VRT, WMS, an ERS
// header naming its data file, ...) are left out on purpose: a heightmap
// must not make us read elsewhere.
const char* const kAcceptedDrivers[] = {
    "PNG", "JPEG", "GTiff", "GIF", "WEBP", "PNM", "SRTMHGT", "AAIGrid", "GRASSASCIIGrid",
    "DTED", "USGSDEM", "GSAG", "GSBG", "GS7BG", "BT", "HFA", "EHdr", "NWT_GRD", nullptr};

// Compressed data expands at most this much (deflate's limit is 1032 : 1),
// so a small file cannot make us allocate a huge picture. Pictures below
// kSmallPicture bytes are always allowed.
constexpr std::uint64_t kLargestExpansion = 1100;
constexpr std::uint64_t kSmallPicture = std::uint64_t{16} << 20;

// Closes the dataset on every path out of the reader.
class Dataset {
public:
    explicit Dataset(GDALDatasetH handle) : handle_(handle) {}
    Dataset(const Dataset&) = delete;
    Dataset& operator=(const Dataset&) = delete;
    ~Dataset() { GDALClose(handle_); }

private:
    GDALDatasetH handle_;
};

[[noreturn]] void RefuseUnreadable(const std::string& path) {
    const std::string gdalMessage = QuietGdal::LastMessage();
    if (GDALDriverH driver = GDALIdentifyDriverEx(path.c_str(), GDAL_OF_RASTER, nullptr, nullptr)) {
        const std::string name = GDALGetDriverShortName(driver);
        bool accepted = false;
        for (const char* const* d = kAcceptedDrivers; *d; ++d) accepted = accepted || name == *d;
        if (!accepted) {
            throw Error(path, "the " + std::string(GDALGetDriverLongName(driver)) +
                                  " format is not supported");
        }
        throw Error(path, "cannot be read as " + name + gdalMessage);
    }
    throw Error(path, "not a picture in a supported format (BMP, PNG, JPEG, TIFF, RAW, "
                      "HGT, ASC and other elevation grids)" + gdalMessage);
}

SampleKind KindOf(GDALDataType type) {
    if (type == GDT_Byte) return SampleKind::Byte;
    if (type == GDT_UInt16) return SampleKind::Word;
    return SampleKind::Real;
}

void CheckSampleType(const std::string& path, GDALDataType type) {
    if (GDALDataTypeIsComplex(type) || type == GDT_Unknown) {
        throw Error(path, std::string(GDALGetDataTypeName(type)) + " samples are not supported");
    }
}

// Grey (+ alpha), red-green-blue (+ alpha) or a palette: how many channels
// the picture has once a palette is expanded.
int ChannelsOf(const std::string& path, GDALDatasetH dataset, SampleKind kind) {
    const int bands = GDALGetRasterCount(dataset);
    if (bands < 1 || bands > 4) {
        throw Error(path, std::to_string(bands) + " bands are not supported (1 to 4)");
    }
    const bool palette = GDALGetRasterColorTable(GDALGetRasterBand(dataset, 1)) != nullptr;
    const int channels = bands >= 3 || palette ? 3 : 1;
    if (channels == 3 && kind == SampleKind::Real) {
        throw Error(path, "colour pictures of signed or floating-point samples are not supported");
    }
    if (palette && kind != SampleKind::Byte) {
        throw Error(path, "palettes of more than 256 colours are not supported");
    }
    return channels;
}

bool Fits(std::uint64_t bytes, std::uint64_t fileSize) {
    return bytes <= kSmallPicture || bytes / kLargestExpansion <= fileSize;
}

// GDAL decodes whole blocks (strips, tiles), which a file may declare far
// larger than its picture; both must fit what the file can hold.
void CheckDecodedSize(const std::string& path, GDALDatasetH dataset, const RasterSamples& s,
                      std::uint64_t fileSize) {
    const std::uint64_t sampleBytes = (s.BitsPerSample + 7) / 8;
    // Sides <= 2^15, at most 4 bands of at most 16 bytes: no overflow.
    const std::uint64_t bytes = static_cast<std::uint64_t>(s.Width) * s.Rows * s.Channels * sampleBytes;
    if (!Fits(bytes, fileSize)) {
        throw Error(path, "claims " + std::to_string(s.Width) + " x " + std::to_string(s.Rows) +
                              " pixels, more than its " + std::to_string(fileSize) +
                              " bytes can hold");
    }
    int blockWidth = 0, blockRows = 0;
    GDALGetBlockSize(GDALGetRasterBand(dataset, 1), &blockWidth, &blockRows);
    if (blockWidth < 1 || blockRows < 1 || blockWidth > TDibBuffer::kMaxDimension ||
        blockRows > TDibBuffer::kMaxDimension ||
        !Fits(static_cast<std::uint64_t>(blockWidth) * blockRows * sampleBytes, fileSize)) {
        throw Error(path, "claims blocks of " + std::to_string(blockWidth) + " x " +
                              std::to_string(blockRows) + " pixels, more than its " +
                              std::to_string(fileSize) + " bytes can hold");
    }
}

void ReadWhole(const std::string& path, GDALDatasetH dataset, RasterSamples& s) {
    s.Whole.resize(static_cast<std::size_t>(s.Width) * s.Rows * s.Channels);
    GDALRasterBandH first = GDALGetRasterBand(dataset, 1);
    GDALColorTableH palette = GDALGetRasterColorTable(first);
    const int bandsToRead = palette ? 1 : s.Channels;
    int bandMap[] = {1, 2, 3};
    const int pixelSpace = s.Channels * 2;
    if (GDALDatasetRasterIO(dataset, GF_Read, 0, 0, s.Width, s.Rows, s.Whole.data(), s.Width,
                            s.Rows, GDT_UInt16, bandsToRead, bandMap, pixelSpace,
                            static_cast<GSpacing>(pixelSpace) * s.Width, 2) != CE_None) {
        throw Error(path, "the picture data is damaged or cut short" + QuietGdal::LastMessage());
    }
    if (!palette) return;
    const int entries = GDALGetColorEntryCount(palette);
    for (std::size_t i = 0; i < s.Whole.size(); i += 3) {
        const int index = s.Whole[i];
        const GDALColorEntry* e = index < entries ? GDALGetColorEntry(palette, index) : nullptr;
        s.Whole[i] = static_cast<std::uint16_t>(e ? e->c1 : 0);
        s.Whole[i + 1] = static_cast<std::uint16_t>(e ? e->c2 : 0);
        s.Whole[i + 2] = static_cast<std::uint16_t>(e ? e->c3 : 0);
    }
}

// Cells without data become NaN, which the height mapping counts as the lowest.
void ReadReal(const std::string& path, GDALDatasetH dataset, RasterSamples& s) {
    s.Real.resize(static_cast<std::size_t>(s.Width) * s.Rows);
    GDALRasterBandH band = GDALGetRasterBand(dataset, 1);
    if (GDALRasterIO(band, GF_Read, 0, 0, s.Width, s.Rows, s.Real.data(), s.Width, s.Rows,
                     GDT_Float64, 0, 0) != CE_None) {
        throw Error(path, "the picture data is damaged or cut short" + QuietGdal::LastMessage());
    }
    int hasNoData = 0;
    const double noData = GDALGetRasterNoDataValue(band, &hasNoData);
    if (!hasNoData) return;
    for (double& v : s.Real) {
        if (v == noData) v = std::numeric_limits<double>::quiet_NaN();
    }
}

}  // namespace

void StartGdal() {
    static std::once_flag started;
    std::call_once(started, [] {
        CPLSetConfigOption("GDAL_PAM_ENABLED", "NO");
        GDALAllRegister();
    });
}

RasterSamples ReadGdalRaster(const std::string& path) {
    StartGdal();
    QuietGdal quiet;
    std::error_code error;
    const std::uint64_t fileSize = std::filesystem::file_size(path, error);
    // Without its size no expansion could be checked.
    if (error) throw Error(path, "cannot be read (" + error.message() + ")");
    if (fileSize == 0) throw Error(path, "the file is empty");

    GDALDatasetH handle = GDALOpenEx(path.c_str(), GDAL_OF_RASTER | GDAL_OF_READONLY,
                                     kAcceptedDrivers, nullptr, nullptr);
    if (!handle) RefuseUnreadable(path);
    const Dataset dataset(handle);
    CheckPictureSize(path, GDALGetRasterXSize(handle), GDALGetRasterYSize(handle));
    if (GDALGetRasterCount(handle) < 1) throw Error(path, "holds no picture");
    const GDALDataType type = GDALGetRasterDataType(GDALGetRasterBand(handle, 1));
    CheckSampleType(path, type);

    RasterSamples s;
    s.Format = GDALGetDriverShortName(GDALGetDatasetDriver(handle));
    s.SampleType = GDALGetDataTypeName(type);
    s.BitsPerSample = GDALGetDataTypeSizeBits(type);
    s.Width = GDALGetRasterXSize(handle);
    s.Rows = GDALGetRasterYSize(handle);
    s.Kind = KindOf(type);
    s.Channels = ChannelsOf(path, handle, s.Kind);
    CheckDecodedSize(path, handle, s, fileSize);
    s.Geo = GeoReferenceOf(handle);
    if (s.Kind == SampleKind::Real) {
        ReadReal(path, handle, s);
    } else {
        ReadWhole(path, handle, s);
    }
    return s;
}

}  // namespace orvalis
