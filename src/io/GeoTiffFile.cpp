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

void Place(GDALDatasetH dataset, const TDibBuffer& picture, const GeoPlacement& placement) {
    if (!placement.Geo) return;
    if (!placement.Geo->Crs.empty()) GDALSetProjection(dataset, placement.Geo->Crs.c_str());
    if (placement.Geo->Transform) {
        std::array<double, 6> transform = TransformForSize(*placement.Geo->Transform, placement.MapWidth,
                                                           placement.MapRows, picture.Width(), picture.RowCount());
        GDALSetGeoTransform(dataset, transform.data());
    }
}

std::string Number(double value) {
    char text[32];
    return std::string(text, std::to_chars(text, text + sizeof text, value).ptr);
}

}  // namespace

void WriteGeoTiffFile(const std::string& path, const TDibBuffer& picture, bool grey, const GeoPlacement& placement,
                      const CancelFlag* cancel) {
    StartGdal();
    const QuietGdal quiet;
    GDALDriverH memory = GDALGetDriverByName("MEM");
    GDALDriverH tiff = GDALGetDriverByName("GTiff");
    if (!memory || !tiff) throw Error(path, "GDAL has no TIFF driver");
    const int bands = grey ? 1 : 3;
    std::vector<std::uint8_t> samples = BandSamples(picture, bands);
    GDALDatasetH source = GDALCreate(memory, "", picture.Width(), picture.RowCount(), bands, GDT_Byte, nullptr);
    if (!source) throw Error(path, "no memory for the picture");
    const CPLErr status = GDALDatasetRasterIO(source, GF_Write, 0, 0, picture.Width(), picture.RowCount(),
                                              samples.data(), picture.Width(), picture.RowCount(), GDT_Byte, bands,
                                              nullptr, 0, 0, 0);
    Place(source, picture, placement);
    const char* options[] = {"COMPRESS=DEFLATE", grey ? nullptr : "PHOTOMETRIC=RGB", nullptr};
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
