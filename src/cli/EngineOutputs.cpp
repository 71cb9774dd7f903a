#include "cli/EngineOutputs.h"

#include <cctype>
#include <filesystem>
#include <vector>

#include "cli/Commands.h"
#include "io/PngFile.h"
#include "synth/NormalMapColours.h"
#include "synth/SplatMap.h"

namespace orvalis::cli {

namespace {

namespace fs = std::filesystem;

bool EndsInPng(const std::string& path) {
    std::string extension = fs::path(path).extension().string();
    for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return extension == ".png";
}

std::string AsPng(const std::string& path) {
    return EndsInPng(path) ? path : fs::path(path).replace_extension(".png").string();
}

// Rows counted from the bottom, as the lighting counts them.
TDibBuffer Upright(TDibBuffer heightmap) {
    if (!heightmap.IsTopDown()) return heightmap;
    TDibBuffer upright;
    upright.Allocate(heightmap.Width(), heightmap.RowCount(), 24);
    heightmap.BlitTo(upright.DeviceContext(), 0, 0);
    return upright;
}

std::string SecondSplatName(const std::string& path) {
    fs::path second(path);
    second.replace_filename(second.stem().string() + "_1" + second.extension().string());
    return second.string();
}

void StageSplatMap(ResultFile& first, ResultFile& second, const TDibBuffer& heightmap,
                   std::int32_t size, const CancelFlag* cancel) {
    const std::vector<SplatWeights> weights = BuildSplatMap(heightmap, size);
    ThrowIfCancelled(cancel);
    std::vector<std::uint8_t> firstSamples, secondSamples;
    firstSamples.reserve(weights.size() * 4);
    secondSamples.reserve(weights.size() * 4);
    for (const SplatWeights& w : weights) {
        firstSamples.insert(firstSamples.end(), {w[0], w[1], w[2], w[3]});
        secondSamples.insert(secondSamples.end(), {w[4], 0, 0, 0});
    }
    WritePngFile(first.StagingPath(), {size, size, 4}, firstSamples, cancel);
    WritePngFile(second.StagingPath(), {size, size, 4}, secondSamples, cancel);
}

void StageNormalMap(ResultFile& file, const TDibBuffer& heightmap, const CancelFlag* cancel) {
    TNormalMap normals;
    BuildNormalMap(heightmap, normals, 1.0f);
    ThrowIfCancelled(cancel);
    const std::int32_t width = heightmap.Width(), rows = heightmap.RowCount();
    WritePngFile(file.StagingPath(), {width, rows, 3}, NormalMapColours(normals, width, rows),
                 cancel);
}

}  // namespace

bool ParseEngineOption(const std::string& option, const std::function<const std::string&()>& value,
                       EngineOutputs& outputs) {
    if (option == "--format") {
        outputs.Format = value();
        if (*outputs.Format != "png" && *outputs.Format != "bmp") {
            throw UsageError("generate: --format wants png or bmp, not '" + *outputs.Format + "'");
        }
    } else if (option == "--splat-map") {
        outputs.SplatMap = value();
    } else if (option == "--normal-map") {
        outputs.NormalMap = value();
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

void SettleFormat(EngineOutputs& outputs, const std::optional<std::string>& output) {
    if (!output || !EndsInPng(*output)) return;
    if (outputs.Format == "bmp") {
        throw UsageError("generate: --format bmp does not go with the name " + *output);
    }
    outputs.Format = "png";
}

std::string InFormat(const EngineOutputs& outputs, const std::string& path) {
    return outputs.Png() ? AsPng(path) : path;
}

PictureEncoder EncoderFor(const EngineOutputs& outputs) {
    if (!outputs.Png()) return {};
    return [](const TDibBuffer& picture, const std::string& path, const CancelFlag* cancel) {
        WritePngFile(path, picture, cancel);
    };
}

EngineFiles::EngineFiles(const EngineOutputs& outputs) {
    if (outputs.SplatMap) {
        splat_.emplace(ResultFile::Claim(*outputs.SplatMap));
        splatSecond_.emplace(ResultFile::Claim(SecondSplatName(*outputs.SplatMap)));
    }
    if (outputs.NormalMap) normals_.emplace(ResultFile::Claim(*outputs.NormalMap));
}

void EngineFiles::Stage(const GenerateSettings& settings) {
    if (!splat_ && !normals_) return;
    const CancelFlag* const cancel = settings.Run.Cancel;
    const TDibBuffer heightmap = Upright(settings.Run.ReadPicture(settings.HeightmapFile).Pixels);
    if (splat_) StageSplatMap(*splat_, *splatSecond_, heightmap, settings.TextureSize, cancel);
    if (normals_) StageNormalMap(*normals_, heightmap, cancel);
}

std::vector<ResultFile*> EngineFiles::Files() {
    std::vector<ResultFile*> files;
    for (std::optional<ResultFile>* file : {&splat_, &splatSecond_, &normals_}) {
        if (*file) files.push_back(&**file);
    }
    return files;
}

}  // namespace orvalis::cli
