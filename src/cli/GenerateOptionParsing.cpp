#include "cli/GenerateOptionParsing.h"

#include <charconv>

#include "cli/Commands.h"
#include "cli/OutputOptionParsing.h"
#include "cli/TerrainOptionParsing.h"
#include "files/DisplayPath.h"
#include "files/Error.h"
#include "generation/TextureInfo.h"

namespace orvalis::cli {

namespace {

[[noreturn]] void FailUsage(const std::string& problem) {
    throw UsageError("generate: " + problem + " (see orvalis-cli generate --help)");
}

std::array<std::string, kTileCount> ParseTiles(const std::string& text) {
    std::array<std::string, kTileCount> tiles;
    std::size_t start = 0;
    for (int i = 0; i < kTileCount; ++i) {
        const std::size_t comma = text.find(',', start);
        const bool last = i == kTileCount - 1;
        if (last != (comma == std::string::npos)) {
            FailUsage("--tiles wants five paths separated by commas, not '" + DisplayPath(text) +
                      "'");
        }
        tiles[i] = text.substr(start, last ? std::string::npos : comma - start);
        if (tiles[i].empty()) FailUsage("--tiles has an empty path in '" + DisplayPath(text) + "'");
        start = comma + 1;
    }
    return tiles;
}

// The request's own checks, as usage errors of the command line.
void CheckRequest(const GenerateOptions& options) {
    // The classic light cannot be told from its defaults in the request.
    const TerrainOptions& terrain = options.Request.Terrain;
    if (options.ClassicLightGiven && terrain.SunAzimuth && terrain.SunElevation) {
        FailUsage("--light-dir and --sun-pos light the classic way; not with --sun-azimuth");
    }
    try {
        CheckGenerationRequest(options.Request);
    } catch (const RequestError& e) {
        FailUsage(e.what());
    }
}

}  // namespace

int ParseWholeNumber(const std::string& option, const std::string& text, int lowest, int highest) {
    int value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (error != std::errc{} || stop != end || value < lowest || value > highest) {
        FailUsage(option + " wants a whole number from " + std::to_string(lowest) + " to " +
                  std::to_string(highest) + ", not '" + DisplayPath(text) + "'");
    }
    return value;
}

GenerateOptions ParseGenerateOptions(const std::vector<std::string>& args, std::int32_t largestSize,
                                     const MoreOptions& more) {
    GenerateOptions options;
    GenerationRequest& request = options.Request;
    GenerateSettings& settings = request.Settings;
    OutputOptions outputs{std::nullopt, request};
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& option = args[i];
        options.Given.push_back({option, std::nullopt});
        const auto value = [&]() -> const std::string& {
            if (i + 1 >= args.size()) FailUsage(option + " needs a value");
            options.Given.back().Value = args[i + 1];
            return args[++i];
        };
        const auto number = [&](int lowest, int highest) {
            return ParseWholeNumber(option, value(), lowest, highest);
        };
        if (option == "--info") options.InfoFile = value();
        else if (option == "--heightmap") options.Heightmap = value();
        else if (option == "--tiles") options.Tiles = ParseTiles(value());
        else if (option == "--size") settings.TextureSize = number(1, largestSize);
        else if (option == "--light-dir") {
            settings.Light.LightDir = number(0, 360);
            options.ClassicLightGiven = true;
        } else if (option == "--sun-pos") {
            settings.Light.SunPos = number(0, 400);
            options.ClassicLightGiven = true;
        }
        else if (option == "--no-lighting") settings.UseLighting = false;
        else if (option == "--output") request.Output = value();
        else if (option == "--output-dir") request.OutputFolder = value();
        else if (option == "--lightmap") request.Lightmap = value();
        else if (option == "--threads") settings.Run.Threads = number(1, 1024);
        else if (option == "--quiet") options.Quiet = true;
        else if (ParseOutputOption(option, value, outputs)) continue;
        else if (ParseTerrainOption(option, value, request)) continue;
        else if (more && more(option, value)) continue;
        else FailUsage("unknown option '" + DisplayPath(option) + "'");
    }
    request.Format = SettleFormat(outputs.Format, request.Output);
    CheckRequest(options);
    return options;
}

// The info file is read only for what the command line leaves open.
void FillFromInfoFile(GenerateOptions& options) {
    if (options.Heightmap && options.Tiles) return;
    const TextureInfo info = ReadTextureInfo(options.InfoFile);
    if (!options.Tiles) {
        for (int i = 0; i < kTileCount; ++i) {
            if (info.TileFiles[i].empty()) {
                throw Error(options.InfoFile, "line " + std::to_string(i + 1) +
                                                        " names no picture for " +
                                                        TileDescription(i));
            }
        }
        options.Tiles = info.TileFiles;
    }
    if (!options.Heightmap) {
        if (info.HeightmapFile.empty()) {
            throw Error(options.InfoFile, "line 6 names no heightmap");
        }
        options.Heightmap = info.HeightmapFile;
    }
}

}  // namespace orvalis::cli
