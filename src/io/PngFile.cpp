#include "io/PngFile.h"

#include <atomic>
#include <string>
#include <vector>

#include <cpl_vsi.h>
#include <gdal.h>

#include "io/GdalSession.h"
#include "files/AtomicFile.h"
#include "files/Error.h"

namespace orvalis {

namespace {

// An in-memory file of GDAL's, removed when it goes out of scope.
class MemoryFile {
public:
    MemoryFile() {
        static std::atomic<unsigned> counter{0};
        name_ = "/vsimem/orvalis-png-" + std::to_string(counter++) + ".png";
    }
    MemoryFile(const MemoryFile&) = delete;
    MemoryFile& operator=(const MemoryFile&) = delete;
    ~MemoryFile() { VSIUnlink(name_.c_str()); }
    const std::string& Name() const { return name_; }

private:
    std::string name_;
};

// GDAL's progress callback: stops the encoding once the run is cancelled.
int CPL_STDCALL KeepEncoding(double, const char*, void* cancel) {
    const auto* flag = static_cast<const CancelFlag*>(cancel);
    return flag == nullptr || !flag->load(std::memory_order_relaxed);
}

// Sizes come from callers, not files, but a short buffer must not be read past.
void CheckSamples(const std::string& path, const PngPixels& format, std::size_t count) {
    const bool shaped = format.Width > 0 && format.Rows > 0 && format.Channels > 0;
    if (!shaped || count / format.Channels / format.Width < static_cast<std::size_t>(format.Rows)) {
        throw Error(path, std::to_string(count) + " samples cannot make a picture of " +
                              std::to_string(format.Width) + " x " + std::to_string(format.Rows) +
                              " pixels of " + std::to_string(format.Channels) + " channels");
    }
}

void Encode(const std::string& path, const PngPixels& format, const void* samples,
            std::size_t count, GDALDataType type, const CancelFlag* cancel) {
    CheckSamples(path, format, count);
    StartGdal();
    // A stop is no fault: GDAL's message about it stays off the terminal.
    const QuietGdal quiet;
    const int sampleBytes = GDALGetDataTypeSizeBytes(type);
    GDALDriverH memory = GDALGetDriverByName("MEM");
    GDALDriverH png = GDALGetDriverByName("PNG");
    if (!memory || !png) throw Error(path, "GDAL has no PNG driver");
    GDALDatasetH source =
        GDALCreate(memory, "", format.Width, format.Rows, format.Channels, type, nullptr);
    if (!source) throw Error(path, "no memory for the picture");
    const GSpacing pixelSpace = static_cast<GSpacing>(sampleBytes) * format.Channels;
    CPLErr status = GDALDatasetRasterIOEx(
        source, GF_Write, 0, 0, format.Width, format.Rows, const_cast<void*>(samples),
        format.Width, format.Rows, type, format.Channels, nullptr, pixelSpace,
        pixelSpace * format.Width, sampleBytes, nullptr);
    const MemoryFile file;
    GDALDatasetH encoded =
        status == CE_None
            ? GDALCreateCopy(png, file.Name().c_str(), source, FALSE, nullptr, KeepEncoding,
                             const_cast<CancelFlag*>(cancel))
            : nullptr;
    GDALClose(source);
    if (!encoded) {
        ThrowIfCancelled(cancel);
        throw Error(path, "the PNG file cannot be made" + QuietGdal::LastMessage());
    }
    GDALClose(encoded);
    vsi_l_offset size = 0;
    const GByte* bytes = VSIGetMemFileBuffer(file.Name().c_str(), &size, FALSE);
    if (!bytes) throw Error(path, "the PNG file cannot be made" + QuietGdal::LastMessage());
    WriteFileAtomically(path, {{bytes, static_cast<std::size_t>(size)}}, cancel);
}

}  // namespace

void WritePngFile(const std::string& path, const PngPixels& format,
                  std::span<const std::uint8_t> samples, const CancelFlag* cancel) {
    Encode(path, format, samples.data(), samples.size(), GDT_Byte, cancel);
}

void WritePngFile(const std::string& path, const PngPixels& format,
                  std::span<const std::uint16_t> samples) {
    Encode(path, format, samples.data(), samples.size(), GDT_UInt16, nullptr);
}

void WritePngFile(const std::string& path, const TDibBuffer& picture, const CancelFlag* cancel) {
    const PngPixels format{picture.Width(), picture.RowCount(), 3};
    std::vector<std::uint8_t> samples;
    samples.reserve(static_cast<std::size_t>(format.Width) * format.Rows * 3);
    for (std::int32_t y = 0; y < format.Rows; ++y) {
        const std::int32_t row = picture.BufferRow(y);
        for (std::int32_t x = 0; x < format.Width; ++x) {
            const PixelColour c = picture.ReadPixel(row, x);
            samples.insert(samples.end(), {c.Red, c.Green, c.Blue});
        }
    }
    ThrowIfCancelled(cancel);
    WritePngFile(path, format, samples, cancel);
}

}  // namespace orvalis
