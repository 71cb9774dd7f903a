#include "app/ExportSettings.h"

#include <filesystem>
#include <functional>

#include "app/ExportRequest.h"
#include "files/DisplayPath.h"
#include "files/Error.h"
#include "io/PictureFile.h"
#include "math/NumberText.h"

namespace orvalis {

namespace {

[[noreturn]] void Fail(const std::string& problem) { throw Error(problem); }

void CheckWithin(const char* name, double value, const NumberLimits& limits) {
    if (!limits.Hold(value)) {
        Fail(std::string(name) + " must lie from " + NumberText(limits.Lowest) + " to " + NumberText(limits.Highest) +
             ", not " + NumberText(value));
    }
}

// Why a map's name leads out of the program folder, where the maps go;
// empty when it does not.
std::string OutsideTheFolder(const std::string& file) {
    const std::filesystem::path path(file);
    if (path.is_absolute()) return "is an absolute path";
    if (path.has_parent_path()) return "has a folder part";
    if (file == "." || file == "..") return "names a folder";
    return {};
}

void CheckInTheFolder(const std::string& what, const std::string& file) {
    const std::string reason = OutsideTheFolder(file);
    if (reason.empty()) return;
    Fail(what + " '" + DisplayPath(file) + "' " + reason +
         ": give a file name alone, as the maps go into the program folder");
}

const char* OnOff(bool on) { return on ? "on" : "off"; }

bool ParseOnOff(const std::string& name, const std::string& value) {
    if (value == "on") return true;
    if (value == "off") return false;
    Fail(name + " wants on or off, not '" + DisplayPath(value) + "'");
}

double ParseNumber(const std::string& name, const std::string& value) {
    const std::optional<double> number = NumberFromText(value);
    if (!number) Fail(name + " wants a number, not '" + DisplayPath(value) + "'");
    return *number;
}

// One entry per named value: how it is written and how it is read.
struct ValueCodec {
    const char* Name;
    std::function<std::string(const ExportSettings&)> Write;
    std::function<void(ExportSettings&, const std::string& name, const std::string& value)> Read;
};

ValueCodec OnOffCodec(const char* name, bool ExportSettings::*flag) {
    return {name, [flag](const ExportSettings& s) { return std::string(OnOff(s.*flag)); },
            [flag](ExportSettings& s, const std::string& n, const std::string& v) { s.*flag = ParseOnOff(n, v); }};
}

ValueCodec NumberCodec(const char* name, double ExportSettings::*number) {
    return {name, [number](const ExportSettings& s) { return NumberText(s.*number); },
            [number](ExportSettings& s, const std::string& n, const std::string& v) {
                s.*number = ParseNumber(n, v);
            }};
}

// An output's switch under its name, its file under name + "-file".
std::vector<ValueCodec> OutputCodecs(const char* name, const char* fileName, ExtraOutput ExportSettings::*output) {
    return {{name, [output](const ExportSettings& s) { return std::string(OnOff((s.*output).On)); },
             [output](ExportSettings& s, const std::string& n, const std::string& v) {
                 (s.*output).On = ParseOnOff(n, v);
             }},
            {fileName, [output](const ExportSettings& s) { return (s.*output).File; },
             [output](ExportSettings& s, const std::string& n, const std::string& v) {
                 CheckInTheFolder(n, v);
                 (s.*output).File = v;
             }}};
}

template <typename Value>
struct Choice {
    const char* Text;
    Value Meaning;
};

constexpr Choice<ExportFormat> kFormats[] = {
    {"bmp", ExportFormat::Bmp}, {"png", ExportFormat::Png}, {"tif", ExportFormat::GeoTiff}};
constexpr Choice<PngCompression> kCompressions[] = {
    {"fast", PngCompression::Fast}, {"default", PngCompression::Default}, {"best", PngCompression::Best}};
constexpr Choice<std::optional<Resampling>> kResamplings[] = {
    {"auto", std::nullopt}, {"classic", Resampling::Classic}, {"smooth", Resampling::Smooth},
    {"spline", Resampling::Spline}};

template <typename Value, std::size_t N>
std::string TextOf(const Choice<Value> (&choices)[N], const Value& value) {
    for (const Choice<Value>& choice : choices) {
        if (choice.Meaning == value) return choice.Text;
    }
    return choices[0].Text;
}

template <typename Value, std::size_t N>
Value MeaningOf(const Choice<Value> (&choices)[N], const std::string& name, const std::string& text) {
    std::string wanted;
    for (const Choice<Value>& choice : choices) {
        if (choice.Text == text) return choice.Meaning;
        wanted += wanted.empty() ? choice.Text : std::string(", ") + choice.Text;
    }
    Fail(name + " wants one of " + wanted + ", not '" + DisplayPath(text) + "'");
}

const std::vector<ValueCodec>& Codecs() {
    static const std::vector<ValueCodec> codecs = [] {
        std::vector<ValueCodec> all = {
            {"format", [](const ExportSettings& s) { return TextOf(kFormats, s.Format); },
             [](ExportSettings& s, const std::string& n, const std::string& v) { s.Format = MeaningOf(kFormats, n, v); }},
            {"png-compression", [](const ExportSettings& s) { return TextOf(kCompressions, s.Compression); },
             [](ExportSettings& s, const std::string& n, const std::string& v) {
                 s.Compression = MeaningOf(kCompressions, n, v);
             }}};
        for (auto outputs : {OutputCodecs("splat-map", "splat-map-file", &ExportSettings::SplatMap),
                             OutputCodecs("normal-map", "normal-map-file", &ExportSettings::NormalMap),
                             OutputCodecs("shadow-map", "shadow-map-file", &ExportSettings::ShadowMap)}) {
            all.insert(all.end(), outputs.begin(), outputs.end());
        }
        all.push_back(OnOffCodec("world-file", &ExportSettings::WorldFile));
        all.push_back({"height-range",
                       [](const ExportSettings& s) { return s.Range ? HeightRangeText(*s.Range) : std::string(); },
                       [](ExportSettings& s, const std::string& n, const std::string& v) {
                           if (v.empty()) {
                               s.Range.reset();
                               return;
                           }
                           try {
                               s.Range = ParseHeightRange(v);
                           } catch (const Error& error) {
                               Fail(n + ": " + error.what());
                           }
                       }});
        all.push_back({"bands",
                       [](const ExportSettings& s) { return s.Bands ? BandHeightsText(*s.Bands) : std::string(); },
                       [](ExportSettings& s, const std::string& n, const std::string& v) {
                           if (v.empty()) s.Bands.reset();
                           else s.Bands = ParseBandHeights(v, n);
                       }});
        all.push_back({"resample", [](const ExportSettings& s) { return TextOf(kResamplings, s.Resample); },
                       [](ExportSettings& s, const std::string& n, const std::string& v) {
                           s.Resample = MeaningOf(kResamplings, n, v);
                       }});
        all.push_back({"water-level",
                       [](const ExportSettings& s) { return s.WaterLevel ? NumberText(*s.WaterLevel) : std::string(); },
                       [](ExportSettings& s, const std::string& n, const std::string& v) {
                           if (v.empty()) s.WaterLevel.reset();
                           else s.WaterLevel = ParseNumber(n, v);
                       }});
        all.push_back(OnOffCodec("real-scale", &ExportSettings::RealScale));
        all.push_back(NumberCodec("sun-azimuth", &ExportSettings::SunAzimuth));
        all.push_back(NumberCodec("sun-elevation", &ExportSettings::SunElevation));
        all.push_back(NumberCodec("z-factor", &ExportSettings::ZFactor));
        all.push_back(NumberCodec("ambient", &ExportSettings::Ambient));
        all.push_back(NumberCodec("sun-size", &ExportSettings::SunSize));
        all.push_back(OnOffCodec("sky-light", &ExportSettings::SkyLight));
        return all;
    }();
    return codecs;
}

}  // namespace

// Numbers are written as NumberText does, so equal texts are equal values.
bool ExportSettings::operator==(const ExportSettings& other) const {
    return ExportSettingsValues(*this) == ExportSettingsValues(other);
}

TerrainOptions ExportSettings::TerrainOf() const {
    TerrainOptions terrain;
    terrain.Resample = Resample;
    terrain.Bands = Bands;
    terrain.WaterLevel = WaterLevel;
    if (!RealScale) return terrain;
    terrain.SunAzimuth = SunAzimuth;
    terrain.SunElevation = SunElevation;
    terrain.ZFactor = ZFactor;
    terrain.Ambient = Ambient;
    terrain.SunSize = SunSize;
    terrain.SkyLight = SkyLight;
    return terrain;
}

OutputFormat ExportSettings::RunFormat() const {
    switch (Format) {
        case ExportFormat::Png: return OutputFormat::Png;
        case ExportFormat::GeoTiff: return OutputFormat::Tiff;
        case ExportFormat::Bmp: break;
    }
    return OutputFormat::Bmp;
}

// The maps' names are the window's own rule, a name kept while its output is
// off included; what goes with what is the generation's.
void CheckExportSettings(const ExportSettings& settings) {
    CheckInTheFolder("The splat map", settings.SplatMap.File);
    CheckInTheFolder("The normal map", settings.NormalMap.File);
    CheckInTheFolder("The shadow map", settings.ShadowMap.File);
    if (settings.Range && !(settings.Range->Low < settings.Range->High)) {
        Fail("The height range's low end must lie below its high end");
    }
    if (settings.Bands) CheckBandHeights(*settings.Bands);
    if (settings.RealScale) {
        CheckWithin("The sun's azimuth", settings.SunAzimuth, kSunAzimuthLimits);
        CheckWithin("The sun's elevation", settings.SunElevation, kSunElevationLimits);
        CheckWithin("The sun's size", settings.SunSize, kSunSizeLimits);
        CheckWithin("The ambient light", settings.Ambient, kAmbientLimits);
        CheckWithin("The z-factor", settings.ZFactor, kScaleLimits);
    }
    CheckExportRequest(settings);
}

ExportValues ExportSettingsValues(const ExportSettings& settings) {
    ExportValues values;
    for (const ValueCodec& codec : Codecs()) values.emplace_back(codec.Name, codec.Write(settings));
    return values;
}

void SetExportValue(ExportSettings& settings, const std::string& name, const std::string& value) {
    for (const ValueCodec& codec : Codecs()) {
        if (name == codec.Name) return codec.Read(settings, name, value);
    }
    Fail("unknown setting '" + DisplayPath(name) + "'");
}

std::string HeightRangeText(const HeightRange& range) {
    return NumberText(range.Low) + ":" + NumberText(range.High);
}

std::string BandHeightsText(const BandHeights& bands) {
    std::string text;
    for (const double height : bands) {
        if (!text.empty()) text += ',';
        text += NumberText(height);
    }
    return text;
}

}  // namespace orvalis
