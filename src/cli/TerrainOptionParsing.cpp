#include "cli/TerrainOptionParsing.h"

#include <optional>

#include "blending/BandHeights.h"
#include "cli/Commands.h"
#include "files/DisplayPath.h"
#include "files/Error.h"
#include "math/NumberText.h"

namespace orvalis::cli {

namespace {

[[noreturn]] void FailUsage(const std::string& problem) {
    throw UsageError("generate: " + problem + " (see orvalis-cli generate --help)");
}

// A decimal number within `limits`.
double ParseDecimal(const std::string& option, const std::string& text, const NumberLimits& limits) {
    const std::optional<double> value = NumberFromText(text);
    if (!value || !limits.Hold(*value)) {
        const std::string wanted =
            option + " wants a number from " + NumberText(limits.Lowest) + " to " + NumberText(limits.Highest);
        FailUsage(wanted + (text.empty() ? ", and was given none" : ", not '" + DisplayPath(text) + "'"));
    }
    return *value;
}

// X or X:Y, both within kScaleLimits.
void ParseCellSize(const std::string& text, TerrainOptions& options) {
    const std::size_t colon = text.find(':');
    const auto side = [&text](const std::string& part, const char* name) {
        if (part.empty() && !text.empty()) {
            FailUsage("--cell-size wants X or X:Y, not '" + DisplayPath(text) + "': the " + name + " part is missing");
        }
        return ParseDecimal("--cell-size", part, kScaleLimits);
    };
    options.CellX = side(text.substr(0, colon), "X");
    options.CellY = colon == std::string::npos ? *options.CellX : side(text.substr(colon + 1), "Y");
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
    if (text == "spline") return Resampling::Spline;
    if (text == "classic") return Resampling::Classic;
    FailUsage("--resample wants smooth, spline or classic, not '" + DisplayPath(text) + "'");
}

// A height in the data's units: any finite number, as band heights are.
double ParseHeight(const std::string& option, const std::string& text) {
    const std::optional<double> height = NumberFromText(text);
    if (!height) FailUsage(option + " wants a height in the data's units, not '" + DisplayPath(text) + "'");
    return *height;
}

}  // namespace

bool ParseTerrainOption(const std::string& option, const std::function<const std::string&()>& value,
                        GenerationRequest& request) {
    const auto decimal = [&](const NumberLimits& limits) { return ParseDecimal(option, value(), limits); };
    TerrainOptions& options = request.Terrain;
    if (option == "--sun-azimuth") options.SunAzimuth = decimal(kSunAzimuthLimits);
    else if (option == "--sun-elevation") options.SunElevation = decimal(kSunElevationLimits);
    else if (option == "--z-factor") options.ZFactor = decimal(kScaleLimits);
    else if (option == "--cell-size") ParseCellSize(value(), options);
    else if (option == "--ambient") options.Ambient = decimal(kAmbientLimits);
    else if (option == "--sun-size") options.SunSize = decimal(kSunSizeLimits);
    else if (option == "--sky-light") options.SkyLight = true;
    else if (option == "--shadow-map") request.ShadowMap = value();
    else if (option == "--resample") options.Resample = ParseResampling(value());
    else if (option == "--bands") options.Bands = ParseBands(value());
    else if (option == "--water-level") options.WaterLevel = ParseHeight(option, value());
    else if (option == "--world-file") request.WorldFile = true;
    else return false;
    return true;
}

}  // namespace orvalis::cli
