// Time to read a 4096 x 4096 heightmap through ReadPictureFile: a 16-bit PNG,
// a 16-bit TIFF and, for comparison, the same terrain as a 24-bit BMP.

#include <algorithm>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>
#include <gdal.h>

#include "SampleTerrain.h"
#include "io/PictureFile.h"
#include "io/PngFile.h"

namespace {

namespace fs = std::filesystem;

constexpr int kSide = 4096;

// The sample terrain at 16-bit precision, top row first, written once per run.
const fs::path& Folder() {
    static const fs::path folder = [] {
        const fs::path f = fs::temp_directory_path() / "orvalis-read-bench";
        fs::create_directories(f);
        const std::vector<std::uint16_t> levels = orvalis::sample::HeightmapLevels(kSide, 65535);
        std::vector<std::uint16_t> topFirst(levels.size());
        for (int y = 0; y < kSide; ++y) {
            std::copy_n(levels.begin() + static_cast<std::ptrdiff_t>(kSide - 1 - y) * kSide, kSide,
                        topFirst.begin() + static_cast<std::ptrdiff_t>(y) * kSide);
        }
        orvalis::WritePngFile((f / "h16.png").string(), {kSide, kSide, 1}, topFirst);
        GDALAllRegister();
        const GDALDriverH driver = GDALGetDriverByName("GTiff");
        GDALDatasetH tiff = driver == nullptr ? nullptr
                                              : GDALCreate(driver, (f / "h16.tif").c_str(), kSide, kSide, 1,
                                                           GDT_UInt16, nullptr);
        if (tiff == nullptr) throw std::runtime_error("cannot write the TIFF");
        const CPLErr written = GDALRasterIO(GDALGetRasterBand(tiff, 1), GF_Write, 0, 0, kSide, kSide,
                                            topFirst.data(), kSide, kSide, GDT_UInt16, 0, 0);
        GDALClose(tiff);
        if (written != CE_None) throw std::runtime_error("cannot write the TIFF");
        orvalis::sample::MakeHeightmap(kSide).WriteBmpFile((f / "h.bmp").string());
        return f;
    }();
    return folder;
}

void ReadFile(benchmark::State& state, const char* name) {
    const std::string path = (Folder() / name).string();
    for (auto _ : state) {
        orvalis::Picture picture = orvalis::ReadPictureFile(path);
        benchmark::DoNotOptimize(picture.Pixels.PixelData());
    }
    state.SetLabel(name);
}

BENCHMARK_CAPTURE(ReadFile, png16, "h16.png")->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK_CAPTURE(ReadFile, tiff16, "h16.tif")->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK_CAPTURE(ReadFile, bmp24, "h.bmp")->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace

BENCHMARK_MAIN();
