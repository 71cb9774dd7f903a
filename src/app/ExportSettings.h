#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "blending/BandHeights.h"
#include "generation/GenerationRequest.h"
#include "generation/TerrainOptions.h"
#include "io/PngEncoder.h"
#include "io/RasterSamples.h"
#include "lighting/RealScaleLight.h"

namespace orvalis {

enum class ExportFormat { Bmp, Png, GeoTiff };

// A file a run may write besides the texture: whether it does, and its name
// in the program's folder: a file name alone, never a path that leads
// elsewhere. The name stays when the output is switched off.
struct ExtraOutput {
    bool On = false;
    std::string File;

    bool operator==(const ExtraOutput&) const = default;
};

// What Generate writes and how it samples and lights the terrain, beyond the
// controls of the window's pages. The defaults are the classic generation:
// a BMP texture and "lm.bmp", nothing else.
struct ExportSettings {
    ExportFormat Format = ExportFormat::Bmp;
    PngCompression Compression = PngCompression::Fast;
    ExtraOutput SplatMap{false, "splat.png"};
    ExtraOutput NormalMap{false, "normals.png"};
    ExtraOutput ShadowMap{false, "shadow.png"};
    bool WorldFile = false;
    std::optional<HeightRange> Range;
    std::optional<BandHeights> Bands;
    // None: classic, or smooth with real-scale lighting.
    std::optional<Resampling> Resample;
    // Open water up to this height in the data's units; with real-scale
    // lighting or resampled heights only.
    std::optional<double> WaterLevel;
    // The sun in degrees instead of the lighting page's scrollbars.
    bool RealScale = false;
    double SunAzimuth = 315;
    double SunElevation = 45;
    double ZFactor = 1;
    double Ambient = kDefaultAmbient;
    double SunSize = 0.53;
    bool SkyLight = false;

    // Equal when every named value is (ExportSettingsValues).
    bool operator==(const ExportSettings& other) const;

    // Sampling and lighting as the classic generation does them.
    bool ClassicTerrain() const { return SamplingOf(TerrainOf()).IsClassic(); }
    // The terrain options of a run: those of real-scale lighting only with it.
    TerrainOptions TerrainOf() const;
    // The format of the run's texture and lightmap.
    OutputFormat RunFormat() const;
};

// Raises Error naming the first setting that is out of its range, a map's
// name leading out of the program's folder, or what the generation's own
// check refuses of a lit run with these settings (CheckExportRequest).
void CheckExportSettings(const ExportSettings& settings);

// The settings as named values, in a fixed order, and back. Every name
// reads as the command line's option of the same meaning.
using ExportValues = std::vector<std::pair<std::string, std::string>>;
ExportValues ExportSettingsValues(const ExportSettings& settings);
// Sets one named value; raises Error naming the setting and the value.
void SetExportValue(ExportSettings& settings, const std::string& name, const std::string& value);

// "LOW:HIGH" and "H256,H192,H128,H64,H0" as the dialog and the file show
// them; ParseHeightRange and ParseBandHeights read them back.
std::string HeightRangeText(const HeightRange& range);
std::string BandHeightsText(const BandHeights& bands);

}  // namespace orvalis
