#include "io/GeoTiffFile.h"

#include <atomic>
#include <charconv>
#include <vector>

#include <cpl_vsi.h>
#include <gdal.h>

#include "files/AtomicFile.h"
#include "files/Error.h"
#include "io/GdalSession.h"

namespace orvalis {

namespace {

// An in-memory file of GDAL's, removed when it goes out of scope.
class MemoryFile {
public:
    MemoryFile() {
        static std::atomic<unsigned> counter{0};
        name_ = "/vsimem/orvalis-tiff-" + std::to_string(counter++) + ".tif";
    }
    MemoryFile(const MemoryFile&) = delete;
    MemoryFile& operator=(const MemoryFile&) = delete;
    ~MemoryFile() { VSIUnlink(name_.c_str()); }
    const std::string& Name() const { return name_; }

private:
    std::string name_;
};

int CPL_STDCALL KeepEncoding(double, const char*, void* cancel) {
    const auto* flag = static_cast<const CancelFlag*>(cancel);
    return flag == nullptr || !flag->load(std::memory_order_relaxed);
}

// Band-interleaved samples, top row first.
std::vector<std::uint8_t> BandSamples(const TDibBuffer& picture, int bands) {
    const std::size_t plane = static_cast<std::size_t>(picture.Width()) * picture.RowCount();
    std::vector<std::uint8_t> samples(plane * bands);
    for (std::int32_t y = 0; y < picture.RowCount(); ++y) {
        const std::int32_t row = picture.BufferRow(y);
        for (std::int32_t x = 0; x < picture.Width(); ++x) {
            const PixelColour c = picture.ReadPixel(row, x);
            const std::size_t i = static_cast<std::size_t>(y) * picture.Width() + x;
            if (bands == 1) {
                samples[i] = c.Blue;
            } else {
                samples[i] = c.Red;
                samples[plane + i] = c.Green;
                samples[2 * plane + i] = c.Blue;
            }
        }
    }
    return samples;
}

void Place(GDALDatasetH dataset, std::int32_t width, std::int32_t rows, const GeoPlacement& placement) {
    if (!placement.Geo) return;
    if (!placement.Geo->Crs.empty()) GDALSetProjection(dataset, placement.Geo->Crs.c_str());
    if (placement.Geo->Transform) {
        std::array<double, 6> transform =
            TransformForSize(*placement.Geo->Transform, placement.MapWidth, placement.MapRows, width, rows);
        GDALSetGeoTransform(dataset, transform.data());
    }
}

// Samples in the layout GDAL is told by the spaces (in bytes: the next
// pixel, row and band), placed and encoded as a deflated TIFF, then written.
struct SampleSpacing {
    GSpacing Pixel = 0;
    GSpacing Line = 0;
    GSpacing Band = 0;
};

void WriteSamples(const std::string& path, std::int32_t width, std::int32_t rows, int bands,
                  const std::uint8_t* samples, const SampleSpacing& spacing, const GeoPlacement& placement,
                  const CancelFlag* cancel) {
    StartGdal();
    const QuietGdal quiet;
    GDALDriverH memory = GDALGetDriverByName("MEM");
    GDALDriverH tiff = GDALGetDriverByName("GTiff");
    if (!memory || !tiff) throw Error(path, "GDAL has no TIFF driver");
    GDALDatasetH source = GDALCreate(memory, "", width, rows, bands, GDT_Byte, nullptr);
    if (!source) throw Error(path, "no memory for the picture");
    const CPLErr status = GDALDatasetRasterIOEx(source, GF_Write, 0, 0, width, rows,
                                                const_cast<std::uint8_t*>(samples), width, rows, GDT_Byte, bands,
                                                nullptr, spacing.Pixel, spacing.Line, spacing.Band, nullptr);
    Place(source, width, rows, placement);
    const char* options[] = {"COMPRESS=DEFLATE", bands == 1 ? nullptr : "PHOTOMETRIC=RGB", nullptr};
    const MemoryFile file;
    GDALDatasetH encoded = status == CE_None ? GDALCreateCopy(tiff, file.Name().c_str(), source, FALSE,
                                                              const_cast<char**>(options), KeepEncoding,
                                                              const_cast<CancelFlag*>(cancel))
                                             : nullptr;
    GDALClose(source);
    if (!encoded) {
        ThrowIfCancelled(cancel);
        throw Error(path, "the TIFF file cannot be made" + QuietGdal::LastMessage());
    }
    GDALClose(encoded);
    vsi_l_offset size = 0;
    const GByte* bytes = VSIGetMemFileBuffer(file.Name().c_str(), &size, FALSE);
    if (!bytes) throw Error(path, "the TIFF file cannot be made" + QuietGdal::LastMessage());
    WriteFileAtomically(path, {{bytes, static_cast<std::size_t>(size)}}, cancel);
}

std::string Number(double value) {
    char text[32];
    return std::string(text, std::to_chars(text, text + sizeof text, value).ptr);
}

}  // namespace

void WriteGeoTiffFile(const std::string& path, const TDibBuffer& picture, bool grey, const GeoPlacement& placement,
                      const CancelFlag* cancel) {
    const int bands = grey ? 1 : 3;
    const std::vector<std::uint8_t> samples = BandSamples(picture, bands);
    const GSpacing plane = static_cast<GSpacing>(picture.Width()) * picture.RowCount();
    WriteSamples(path, picture.Width(), picture.RowCount(), bands, samples.data(),
                 {1, picture.Width(), plane}, placement, cancel);
}

void WriteGeoTiffFile(const std::string& path, const TiffPixels& format, std::span<const std::uint8_t> samples,
                      const GeoPlacement& placement, const CancelFlag* cancel) {
    if (samples.size() != static_cast<std::size_t>(format.Width) * format.Rows * format.Channels) {
        throw Error(path, "the samples do not fill the picture");
    }
    WriteSamples(path, format.Width, format.Rows, format.Channels, samples.data(),
                 {format.Channels, static_cast<GSpacing>(format.Width) * format.Channels, 1}, placement, cancel);
}

std::string WorldFileText(const GeoPlacement& placement, std::int32_t width, std::int32_t rows) {
    if (!placement.Geo || !placement.Geo->Transform) throw Error("the heightmap has no georeference for a world file");
    const std::array<double, 6> t =
        TransformForSize(*placement.Geo->Transform, placement.MapWidth, placement.MapRows, width, rows);
    // A world file names the centre of the top-left pixel, the transform its corner.
    const double values[] = {t[1], t[4], t[2], t[5], t[0] + t[1] / 2 + t[2] / 2, t[3] + t[4] / 2 + t[5] / 2};
    std::string text;
    for (const double v : values) text += Number(v) + "\n";
    return text;
}

}  // namespace orvalis
