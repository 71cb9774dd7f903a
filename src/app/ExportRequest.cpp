#include "app/ExportRequest.h"

#include <filesystem>
#include <optional>
#include <system_error>
#include <vector>

#include "files/Error.h"
#include "generation/OutputNames.h"

namespace orvalis {

namespace {

namespace fs = std::filesystem;

// As many numbers as the texture's names have.
constexpr int kLastNumber = 65534;

OutputFormat FormatOf(ExportFormat format) {
    switch (format) {
        case ExportFormat::Png: return OutputFormat::Png;
        case ExportFormat::GeoTiff: return OutputFormat::Tiff;
        case ExportFormat::Bmp: break;
    }
    return OutputFormat::Bmp;
}

// "splat.png" with number "3": folder/splat3.png.
std::optional<std::string> NumberedName(const ExtraOutput& output, const fs::path& folder, const std::string& number) {
    if (!output.On) return std::nullopt;
    fs::path name(output.File);
    name.replace_filename(name.stem().string() + number + name.extension().string());
    return (name.is_absolute() ? name : folder / name).string();
}

void NameMaps(const ExportSettings& settings, const fs::path& folder, const std::string& number,
              GenerationRequest& request) {
    request.SplatMap = NumberedName(settings.SplatMap, folder, number);
    request.NormalMap = NumberedName(settings.NormalMap, folder, number);
    request.ShadowMap = NumberedName(settings.ShadowMap, folder, number);
}

bool AllFree(const GenerationRequest& request) {
    std::vector<std::string> names;
    for (const NamedOutput& map : EngineMapNames(request)) names.push_back(map.Path);
    if (const std::optional<std::string> shadow = ShadowMapName(request)) names.push_back(*shadow);
    std::error_code error;
    for (const std::string& name : names) {
        if (fs::exists(fs::symlink_status(name, error))) return false;
    }
    return true;
}

}  // namespace

void ApplyExportSettings(const ExportSettings& settings, const std::string& folder, GenerationRequest& request) {
    if (settings.RealScale && !request.Settings.UseLighting) {
        throw Error("Real-scale lighting (Export) lights the terrain: turn Use Lighting on, or real-scale lighting off");
    }
    request.Format = FormatOf(settings.Format);
    request.Compression = settings.Compression;
    request.WorldFile = settings.WorldFile;
    request.Settings.Read.Range = settings.Range;
    request.Terrain = settings.TerrainOf();
    for (int number = -1; number <= kLastNumber; ++number) {
        NameMaps(settings, folder, number < 0 ? std::string() : std::to_string(number), request);
        if (!AllFree(request)) continue;
        CheckGenerationRequest(request);
        return;
    }
    throw Error(folder, "every numbered name of the splat, normal and shadow maps is taken");
}

}  // namespace orvalis
