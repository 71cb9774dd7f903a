#include "generation/RunFiles.h"

#include <filesystem>
#include <utility>

#include "files/AtomicFile.h"
#include "files/Error.h"
#include "generation/OutputNames.h"
#include "io/GreyPngFile.h"
#include "io/PngFile.h"

namespace orvalis {

namespace {

namespace fs = std::filesystem;

void CheckOutputFolder(const fs::path& folder) {
    std::error_code error;
    const fs::file_status status = fs::status(folder, error);
    if (error == std::errc::no_such_file_or_directory) throw Error(folder.string(), "no such folder");
    if (error == std::errc::too_many_symbolic_link_levels) throw Error(folder.string(), "is a loop of symbolic links");
    if (error) throw Error(folder.string(), "cannot be used as the output folder (" + error.message() + ")");
    if (!fs::is_directory(status)) throw Error(folder.string(), "is not a folder");
}

// A numbered texture skips a name under which its world file is taken, or
// which another file of the run takes.
ResultFile ClaimTexture(const GenerationRequest& request) {
    if (const std::optional<std::string> name = TextureName(request)) return ResultFile::Claim(*name);
    const fs::path folder = request.OutputFolder.value_or("");
    if (request.OutputFolder) CheckOutputFolder(folder);
    const std::vector<NamedOutput> others = OutputNames(request);
    return ClaimFreeOutputName(folder, ExtensionOf(request.Format), [&](const std::string& texture) {
        for (const NamedOutput& own : TextureOutputs(request, texture)) {
            for (const NamedOutput& other : others) {
                if (SameName(own.Path, other.Path)) return false;
            }
            if (own.WorldFile && !ResultFile::Claimable(own.Path)) return false;
        }
        return true;
    });
}

ResultFile Take(const NamedOutput& output) {
    switch (output.Use) {
        case NameUse::Replace: return ResultFile::Replacing(output.Path);
        case NameUse::Remove: return ResultFile::Removing(output.Path);
        case NameUse::Claim: break;
    }
    return ResultFile::Claim(output.Path);
}

// The grid a picture's pixels cover the heightmap's extent with.
TextureShape GridOf(OutputKind kind, const TextureShape& texture, const TextureShape& heightmap, bool realScale) {
    switch (kind) {
        case OutputKind::NormalMap: return heightmap;
        // Lit at the real scale it has the texture's size, else the heightmap's.
        case OutputKind::Lightmap: return realScale ? texture : heightmap;
        default: return texture;
    }
}

// Grey pictures (lightmaps) become one band.
bool IsGrey(const TDibBuffer& picture) {
    for (std::int32_t row = 0; row < picture.RowCount(); ++row) {
        for (std::int32_t column = 0; column < picture.Width(); ++column) {
            const PixelColour p = picture.ReadPixel(row, column);
            if (p.Red != p.Blue || p.Green != p.Blue) return false;
        }
    }
    return true;
}

}  // namespace

RunFiles::RunFiles(const GenerationRequest& request)
    : format_(request.Format), compression_(request.Compression) {
    ResultFile texture = ClaimTexture(request);
    const std::vector<NamedOutput> outputs = OutputNames(request, texture.Path());
    files_.reserve(outputs.size());
    files_.push_back({outputs.front(), std::move(texture)});
    for (std::size_t i = 1; i < outputs.size(); ++i) files_.push_back({outputs[i], Take(outputs[i])});
}

ResultFile* RunFiles::FileOf(OutputKind kind) {
    for (RunFile& file : files_) {
        if (file.Output.Kind == kind && !file.Output.WorldFile) return &file.File;
    }
    return nullptr;
}

std::vector<ResultFile*> RunFiles::Alongside() {
    std::vector<ResultFile*> files;
    const ResultFile* lightmap = Lightmap();
    for (std::size_t i = 1; i < files_.size(); ++i) {
        if (&files_[i].File != lightmap) files.push_back(&files_[i].File);
    }
    return files;
}

MapWriting RunFiles::Writing(const RunOptions& run) const {
    return {format_ == OutputFormat::Tiff, {compression_, run.Threads, run.Cancel},
            {geo_ ? &*geo_ : nullptr, mapWidth_, mapRows_}};
}

void RunFiles::Attach(GenerateSettings& settings) {
    settings.StageAlongside = [this, &settings](const Picture& heightmap) -> std::optional<TerrainLighting> {
        TakeHeightmap(heightmap, settings);
        const ResultFile* normals = FileOf(OutputKind::NormalMap);
        if (!normals) return std::nullopt;
        return WriteNormalMap(normals->StagingPath(), heightmap, settings.Run, Writing(settings.Run));
    };
    if (FileOf(OutputKind::SplatMap)) {
        settings.BandWeightsReady = [this, &settings](const BandWeightRows& weights) {
            WriteSplatMap(FileOf(OutputKind::SplatMap)->StagingPath(), FileOf(OutputKind::SplatMapSecond)->StagingPath(),
                          weights, Writing(settings.Run));
        };
    }
    if (const ResultFile* shadowMap = FileOf(OutputKind::ShadowMap)) {
        settings.SunVisibilityDone = [this, shadowMap, &settings](const TDibBuffer& sunVisibility) {
            const MapWriting writing = Writing(settings.Run);
            if (writing.Tiff) {
                WriteGeoTiffFile(shadowMap->StagingPath(), sunVisibility, true, writing.Place, settings.Run.Cancel);
            } else {
                WriteGreyPngFile(shadowMap->StagingPath(), sunVisibility, writing.Png);
            }
        };
    }
    if (format_ == OutputFormat::Png) {
        settings.Encode = [compression = compression_, threads = settings.Run.Threads](
                              const TDibBuffer& picture, const std::string& path, const CancelFlag* cancel) {
            WritePngFile(path, picture, {compression, threads, cancel});
        };
    } else if (format_ == OutputFormat::Tiff) {
        settings.Encode = [this](const TDibBuffer& picture, const std::string& path, const CancelFlag* cancel) {
            WriteGeoTiffFile(path, picture, IsGrey(picture), Writing({}).Place, cancel);
        };
    }
}

// The heightmap's placement, for the GeoTIFF pictures and the world files
// (staged now: they need nothing else).
void RunFiles::TakeHeightmap(const Picture& heightmap, const GenerateSettings& settings) {
    geo_ = heightmap.Geo;
    mapWidth_ = heightmap.Pixels.Width();
    mapRows_ = heightmap.Pixels.RowCount();
    const TextureShape texture = TextureShapeFor(settings.Sampling, settings.TextureSize, mapWidth_, mapRows_);
    const GeoPlacement placement = Writing(settings.Run).Place;
    for (RunFile& file : files_) {
        if (!file.Output.WorldFile || file.Output.Use == NameUse::Remove) continue;
        if (!geo_ || !geo_->Transform) throw Error(settings.HeightmapFile, "has no georeference for a world file");
        const TextureShape grid =
            GridOf(file.Output.Kind, texture, {mapWidth_, mapRows_}, settings.Sampling.RealScale.has_value());
        const std::string text = WorldFileText(placement, grid.Width, grid.Rows);
        WriteFileAtomically(file.File.StagingPath(),
                            {{reinterpret_cast<const std::uint8_t*>(text.data()), text.size()}}, settings.Run.Cancel);
    }
}

}  // namespace orvalis
