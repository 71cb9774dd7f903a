#include "app/ExportRequest.h"

#include <filesystem>
#include <optional>
#include <vector>

#include "app/DialogWords.h"
#include "files/Error.h"
#include "files/ResultFile.h"
#include "generation/OutputNames.h"

namespace orvalis {

namespace {

namespace fs = std::filesystem;

// As many numbers as the texture's names have.
constexpr int kLastNumber = 65534;

// "splat.png" with number "3": folder/splat3.png.
std::optional<std::string> NumberedName(const ExtraOutput& output, const fs::path& folder, const std::string& number) {
    if (!output.On) return std::nullopt;
    const fs::path name(output.File);
    return (folder / (name.stem().string() + number + name.extension().string())).string();
}

void NameMaps(const ExportSettings& settings, const fs::path& folder, const std::string& number,
              GenerationRequest& request) {
    request.SplatMap = NumberedName(settings.SplatMap, folder, number);
    request.NormalMap = NumberedName(settings.NormalMap, folder, number);
    request.ShadowMap = NumberedName(settings.ShadowMap, folder, number);
}

// A leftover of a run that ended abruptly does not hold a name.
bool AllFree(const GenerationRequest& request) {
    for (const NamedOutput& output : OutputNames(request)) {
        const bool map = output.Kind != OutputKind::Texture && output.Kind != OutputKind::Lightmap;
        if (map && !ResultFile::Claimable(output.Path)) return false;
    }
    return true;
}

// What the settings ask of any run, whatever its names.
void ApplyFormatAndTerrain(const ExportSettings& settings, GenerationRequest& request) {
    request.Format = settings.RunFormat();
    request.Compression = settings.Compression;
    request.WorldFile = settings.WorldFile;
    request.Settings.Read.Range = settings.Range;
    request.Terrain = settings.TerrainOf();
}

}  // namespace

void ApplyExportSettings(const ExportSettings& settings, const std::string& folder, GenerationRequest& request) {
    ApplyFormatAndTerrain(settings, request);
    for (int number = -1; number <= kLastNumber; ++number) {
        NameMaps(settings, folder, number < 0 ? std::string() : std::to_string(number), request);
        if (!AllFree(request)) continue;
        CheckRequestInDialogWords(request);
        return;
    }
    throw Error(folder, "every numbered name of the splat, normal and shadow maps is taken");
}

void CheckExportRequest(const ExportSettings& settings) {
    // Checked as a lit run: whether lighting is on is the window's to say at Generate.
    GenerationRequest request;
    request.Settings.UseLighting = true;
    ApplyFormatAndTerrain(settings, request);
    NameMaps(settings, {}, {}, request);
    CheckRequestInDialogWords(request);
}

}  // namespace orvalis
