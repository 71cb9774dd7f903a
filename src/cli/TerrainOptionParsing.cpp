#include "cli/TerrainOptionParsing.h"

#include <charconv>
#include <cmath>
#include <string_view>

#include "cli/Commands.h"
#include "files/DisplayPath.h"

namespace orvalis::cli {

namespace {

constexpr double kLargestNumber = 1e12;

[[noreturn]] void FailUsage(const std::string& problem) {
    throw UsageError("generate: " + problem + " (see orvalis-cli generate --help)");
}

std::optional<double> Decimal(std::string_view text) {
    double value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (error != std::errc{} || stop != end || !std::isfinite(value)) return std::nullopt;
    return value;
}

std::string Shortest(double value) {
    char text[32];
    return std::string(text, std::to_chars(text, text + sizeof text, value).ptr);
}

// A decimal number within [lowest, highest]; above 0 when `positive`.
double ParseDecimal(const std::string& option, const std::string& text, double lowest, double highest,
                    bool positive = false) {
    const std::optional<double> value = Decimal(text);
    if (!value || *value < lowest || *value > highest || (positive && !(*value > 0))) {
        FailUsage(option + " wants a number " + (positive ? "above " : "from ") + Shortest(lowest) + " to " +
                  Shortest(highest) + ", not '" + DisplayPath(text) + "'");
    }
    return *value;
}

// X or X:Y, both above 0.
void ParseCellSize(const std::string& text, TerrainOptions& options) {
    const std::size_t colon = text.find(':');
    const std::string x = text.substr(0, colon);
    options.CellX = ParseDecimal("--cell-size", x, 0, kLargestNumber, true);
    options.CellY = colon == std::string::npos
                        ? *options.CellX
                        : ParseDecimal("--cell-size", text.substr(colon + 1), 0, kLargestNumber, true);
}

BandHeights ParseBands(const std::string& text) {
    BandHeights bands{};
    std::size_t start = 0;
    for (int i = 0; i < kTileCount; ++i) {
        const std::size_t comma = text.find(',', start);
        const bool last = i == kTileCount - 1;
        const std::optional<double> height =
            last == (comma == std::string::npos)
                ? Decimal(std::string_view(text).substr(start, last ? std::string::npos : comma - start))
                : std::nullopt;
        if (!height) {
            FailUsage("--bands wants five heights separated by commas, highest band first, not '" +
                      DisplayPath(text) + "'");
        }
        bands[i] = *height;
        start = comma + 1;
    }
    for (int i = 1; i < kTileCount; ++i) {
        if (!(bands[i] < bands[i - 1])) {
            FailUsage("--bands wants each height below the one before it (H256 > H192 > H128 > H64 > H0), not '" +
                      DisplayPath(text) + "'");
        }
    }
    return bands;
}

Resampling ParseResampling(const std::string& text) {
    if (text == "smooth") return Resampling::Smooth;
    if (text == "classic") return Resampling::Classic;
    FailUsage("--resample wants smooth or classic, not '" + DisplayPath(text) + "'");
}

}  // namespace

bool ParseTerrainOption(const std::string& option, const std::function<const std::string&()>& value,
                        GenerationRequest& request) {
    const auto decimal = [&](double lowest, double highest, bool positive = false) {
        return ParseDecimal(option, value(), lowest, highest, positive);
    };
    TerrainOptions& options = request.Terrain;
    if (option == "--sun-azimuth") options.SunAzimuth = decimal(0, 360);
    else if (option == "--sun-elevation") options.SunElevation = decimal(0, 90);
    else if (option == "--z-factor") options.ZFactor = decimal(0, kLargestNumber, true);
    else if (option == "--cell-size") ParseCellSize(value(), options);
    else if (option == "--ambient") options.Ambient = decimal(0, 1);
    else if (option == "--sun-size") options.SunSize = decimal(0, 10);
    else if (option == "--sky-light") options.SkyLight = true;
    else if (option == "--shadow-map") request.ShadowMap = value();
    else if (option == "--resample") options.Resample = ParseResampling(value());
    else if (option == "--bands") options.Bands = ParseBands(value());
    else if (option == "--world-file") request.WorldFile = true;
    else return false;
    return true;
}

}  // namespace orvalis::cli
