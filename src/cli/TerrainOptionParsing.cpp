#include "cli/TerrainOptionParsing.h"

#include <optional>

#include "blending/BandHeights.h"
#include "cli/Commands.h"
#include "files/DisplayPath.h"
#include "files/Error.h"
#include "math/NumberText.h"

namespace orvalis::cli {

namespace {

constexpr double kLargestNumber = 1e12;

[[noreturn]] void FailUsage(const std::string& problem) {
    throw UsageError("generate: " + problem + " (see orvalis-cli generate --help)");
}

// A decimal number within [lowest, highest]; above 0 when `positive`.
double ParseDecimal(const std::string& option, const std::string& text, double lowest, double highest,
                    bool positive = false) {
    const std::optional<double> value = NumberFromText(text);
    if (!value || *value < lowest || *value > highest || (positive && !(*value > 0))) {
        FailUsage(option + " wants a number " + (positive ? "above " : "from ") + NumberText(lowest) + " to " +
                  NumberText(highest) + ", not '" + DisplayPath(text) + "'");
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
    try {
        return ParseBandHeights(text, "--bands");
    } catch (const Error& error) {
        FailUsage(error.what());
    }
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
