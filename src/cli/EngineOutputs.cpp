#include "cli/EngineOutputs.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <vector>

#include "cli/Commands.h"
#include "cli/MemoryLimitOption.h"
#include "io/PngFile.h"
#include "files/DisplayPath.h"
#include "lighting/Lightmap.h"
#include "lighting/NormalMapColours.h"
#include "blending/SplatMap.h"

namespace orvalis::cli {

namespace {

namespace fs = std::filesystem;

std::string LowerExtension(const std::string& path) {
    std::string extension = fs::path(path).extension().string();
    for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return extension;
}

// "png" or "tif" for a name that asks for one of them.
std::optional<std::string> FormatOfName(const std::string& path) {
    const std::string extension = LowerExtension(path);
    if (extension == ".png") return "png";
    if (extension == ".tif" || extension == ".tiff") return "tif";
    return std::nullopt;
}

std::string InFormatOf(const std::string& path, const std::string& format) {
    return FormatOfName(path) == format ? path : fs::path(path).replace_extension("." + format).string();
}

std::string SecondSplatName(const std::string& path) {
    fs::path second(path);
    second.replace_filename(second.stem().string() + "_1" + second.extension().string());
    return second.string();
}

void StageSplatMap(ResultFile& first, ResultFile& second, const TDibBuffer& heightmap,
                   std::int32_t size, const PngWriting& writing) {
    // Two RGBA pictures, straight from each row's weights.
    const std::size_t rowSamples = static_cast<std::size_t>(size) * 4;
    std::vector<std::uint8_t> firstSamples(rowSamples * size), secondSamples(rowSamples * size);
    ForEachSplatRow(heightmap, size, [&](std::int32_t y, std::span<const SplatWeights> weights) {
        ThrowIfCancelled(writing.Cancel);
        std::uint8_t* firstRow = &firstSamples[rowSamples * y];
        std::uint8_t* secondRow = &secondSamples[rowSamples * y];
        for (const SplatWeights& w : weights) {
            firstRow = std::copy_n(w.begin(), 4, firstRow);
            *secondRow = w[4];
            secondRow += 4;
        }
    });
    WritePngFile(first.StagingPath(), {size, size, 4}, firstSamples, writing);
    WritePngFile(second.StagingPath(), {size, size, 4}, secondSamples, writing);
}

// The generation blends from the heightmap after this; the lighting takes a copy.
Picture CopyOf(const Picture& picture) {
    Picture copy{TDibBuffer(), picture.FineHeights, picture.Levels, picture.RealSamples, picture.Geo};
    copy.Pixels.CopyFromBitmap(picture.Pixels);
    return copy;
}

// The normals the lighting uses, from the heights at full precision.
TerrainLighting StageNormalMap(ResultFile& file, const Picture& heightmap, const RunOptions& generation,
                               const PngWriting& writing) {
    RunOptions run = generation;
    run.Progress = {};
    TerrainLighting terrain = PrepareTerrainLighting(CopyOf(heightmap), run);
    ThrowIfCancelled(run.Cancel);
    const std::int32_t width = terrain.Field.Width, rows = terrain.Field.Rows;
    WritePngFile(file.StagingPath(), {width, rows, 3},
                 NormalMapColours(terrain.Normals, width, rows), writing);
    return terrain;
}

PngCompression ParsePngCompression(const std::string& name) {
    if (name == "fast") return PngCompression::Fast;
    if (name == "default") return PngCompression::Default;
    if (name == "best") return PngCompression::Best;
    throw UsageError("generate: --png-compression wants fast, default or best, not '" + DisplayPath(name) + "'");
}

}  // namespace

bool ParseEngineOption(const std::string& option, const std::function<const std::string&()>& value,
                       EngineOutputs& outputs) {
    if (option == "--format") {
        outputs.Format = value();
        if (*outputs.Format != "png" && *outputs.Format != "bmp" && *outputs.Format != "tif") {
            throw UsageError("generate: --format wants png, bmp or tif, not '" + DisplayPath(*outputs.Format) + "'");
        }
    } else if (option == "--splat-map") {
        outputs.SplatMap = value();
    } else if (option == "--normal-map") {
        outputs.NormalMap = value();
    } else if (option == "--png-compression") {
        outputs.Compression = ParsePngCompression(value());
    } else if (option == "--memory-limit") {
        outputs.Read.MemoryLimit = ParseMemoryLimit("generate", value());
    } else if (option == "--height-range") {
        try {
            outputs.Read.Range = ParseHeightRange(value());
        } catch (const UsageError&) {
            throw;
        } catch (const Error& e) {
            throw UsageError(std::string("generate: --height-range: ") + e.what());
        }
    } else {
        return false;
    }
    return true;
}

// Only ".png" picks a format: a ".tif" name has long been written as BMP.
void SettleFormat(EngineOutputs& outputs, const std::optional<std::string>& output) {
    if (!output || FormatOfName(*output) != "png") return;
    if (outputs.Format && outputs.Format != "png") {
        throw UsageError("generate: --format " + *outputs.Format + " does not go with the name " + DisplayPath(*output));
    }
    outputs.Format = "png";
}

std::string InFormat(const EngineOutputs& outputs, const std::string& path) {
    return outputs.Png() || outputs.Tiff() ? InFormatOf(path, *outputs.Format) : path;
}

std::vector<NamedOutput> EngineOutputNames(const EngineOutputs& outputs) {
    std::vector<NamedOutput> names;
    if (outputs.SplatMap) {
        names.push_back({"--splat-map", *outputs.SplatMap});
        names.push_back({"the second file of --splat-map", SecondSplatName(*outputs.SplatMap)});
    }
    if (outputs.NormalMap) names.push_back({"--normal-map", *outputs.NormalMap});
    return names;
}

PictureEncoder EncoderFor(const EngineOutputs& outputs, int threads) {
    if (!outputs.Png()) return {};
    return [compression = outputs.Compression, threads](const TDibBuffer& picture, const std::string& path,
                                                        const CancelFlag* cancel) {
        WritePngFile(path, picture, {compression, threads, cancel});
    };
}

EngineFiles::EngineFiles(const EngineOutputs& outputs) : compression_(outputs.Compression) {
    if (outputs.SplatMap) {
        splat_.emplace(ResultFile::Claim(*outputs.SplatMap));
        splatSecond_.emplace(ResultFile::Claim(SecondSplatName(*outputs.SplatMap)));
    }
    if (outputs.NormalMap) normals_.emplace(ResultFile::Claim(*outputs.NormalMap));
}

std::optional<TerrainLighting> EngineFiles::Stage(const Picture& heightmap,
                                                  const GenerateSettings& settings) {
    const PngWriting writing{compression_, settings.Run.Threads, settings.Run.Cancel};
    if (splat_) StageSplatMap(*splat_, *splatSecond_, heightmap.Pixels, settings.TextureSize, writing);
    if (!normals_) return std::nullopt;
    return StageNormalMap(*normals_, heightmap, settings.Run, writing);
}

std::vector<ResultFile*> EngineFiles::Files() {
    std::vector<ResultFile*> files;
    for (std::optional<ResultFile>* file : {&splat_, &splatSecond_, &normals_}) {
        if (*file) files.push_back(&**file);
    }
    return files;
}

}  // namespace orvalis::cli
