#include "io/MosaicDescription.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <memory>
#include <string_view>
#include <utility>

#include <cpl_minixml.h>
#include <cpl_string.h>
#include <gdal.h>

#include "files/Error.h"
#include "io/GdalSession.h"
#include "io/RasterSamples.h"

namespace orvalis {

namespace {

// A mosaic's text is read whole: large enough for tens of thousands of
// sources, small enough to hold.
constexpr std::uint64_t kLargestMosaicText = std::uint64_t{64} << 20;
constexpr std::size_t kMostPieces = 100'000;
// Offsets and sizes of the pieces: what GDAL's own cell indices hold.
constexpr double kLargestPlace = 2147483647.0;

// What each element of a mosaic may hold: the elements we read, and those
// that change nothing of its cells as we read them (the reading of a single
// file takes no colour interpretation, scale, offset, overviews or masks
// either). Everything else is refused.
struct ElementRule {
    const char* Element;
    std::vector<std::string_view> Read;
    std::vector<std::string_view> Ignored;
};

const ElementRule kRules[] = {
    {"VRTDataset", {"SRS", "GeoTransform", "VRTRasterBand"}, {"Metadata", "OverviewList", "GCPList", "MaskBand"}},
    {"VRTRasterBand",
     {"NoDataValue", "HideNoDataValue", "SimpleSource", "ComplexSource"},
     {"ColorInterp", "Description", "UnitType", "Offset", "Scale", "Metadata", "Histograms", "CategoryNames",
      "Overview", "MaskBand"}},
    {"SimpleSource", {"SourceFilename", "SourceBand", "SrcRect", "DstRect"}, {"SourceProperties"}},
    {"ComplexSource",
     {"SourceFilename", "SourceBand", "SrcRect", "DstRect", "NODATA", "ScaleOffset", "ScaleRatio", "UseMaskBand"},
     {"SourceProperties"}},
};

// Why some elements are refused, beyond being unknown to a plain mosaic.
const std::pair<std::string_view, const char*> kReasons[] = {
    {"PixelFunctionType", "a pixel function, which computes cells"},
    {"PixelFunctionLanguage", "a pixel function, which computes cells (its code is never run)"},
    {"PixelFunctionCode", "a pixel function, which computes cells (its code is never run)"},
    {"PixelFunctionArguments", "a pixel function, which computes cells"},
    {"SourceTransferType", "a pixel function, which computes cells"},
    {"ColorTable", "a palette"},
    {"LUT", "a lookup table, which changes cells"},
    {"Exponent", "a power scaling, which changes cells"},
    {"KernelFilteredSource", "a filter, which computes cells"},
    {"AveragedSource", "an averaging source, which computes cells"},
    {"OpenOptions", "options for a source's driver"},
};

struct FreeXml {
    void operator()(CPLXMLNode* node) const { CPLDestroyXMLNode(node); }
};

bool IsNamed(const CPLXMLNode* node, std::string_view name) {
    return node->eType == CXT_Element && node->pszValue == name;
}

// "'LUT' (a lookup table, which changes cells)".
std::string Described(std::string_view element) {
    std::string text(1, '\'');
    text.append(DisplayPath(std::string(element))).append("'");
    for (const auto& [name, reason] : kReasons) {
        if (name == element) text.append(" (").append(reason).append(")");
    }
    return text;
}

[[noreturn]] void RefusePart(const std::string& path, const std::string& where, const std::string& what) {
    throw Error(path, "its " + where + " holds " + what + "; only mosaics that copy plain files are supported");
}

// Refuses a derived or warped band or dataset (subClass), and every child
// element the node's rule neither reads nor ignores.
void CheckChildren(const std::string& path, const CPLXMLNode* node, const std::string& where) {
    const auto rule = std::find_if(std::begin(kRules), std::end(kRules),
                                   [&](const ElementRule& r) { return node->pszValue == std::string_view(r.Element); });
    for (const CPLXMLNode* child = node->psChild; child; child = child->psNext) {
        if (child->eType == CXT_Attribute && EQUAL(child->pszValue, "subClass")) {
            const char* kind = child->psChild ? child->psChild->pszValue : "";
            throw Error(path, "its " + where + " is a " + DisplayPath(kind) +
                                  ", whose cells GDAL computes; only mosaics that copy plain files are supported");
        }
        if (child->eType != CXT_Element) continue;
        const std::string_view name = child->pszValue;
        const auto known = [&](const std::vector<std::string_view>& names) {
            return std::find(names.begin(), names.end(), name) != names.end();
        };
        if (rule == std::end(kRules) || (!known(rule->Read) && !known(rule->Ignored))) {
            RefusePart(path, where, Described(name));
        }
    }
}

std::string_view Trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

// All of text (but spaces around it) is one number.
template <typename Number>
bool ParseWhole(std::string_view text, Number& value) {
    text = Trimmed(text);
    const auto [stop, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc{} && stop == text.data() + text.size() && !text.empty();
}

// The value (attribute or element text) `name` of node as a number;
// none when it is not there. Raises Error when it is not a number.
template <typename Number>
std::optional<Number> NumberAt(const std::string& path, const CPLXMLNode* node, const char* name,
                               const std::string& where) {
    const char* text = CPLGetXMLValue(node, name, nullptr);
    if (!text) return std::nullopt;
    Number value{};
    if (!ParseWhole(text, value)) {
        throw Error(path, "its " + where + " gives " + name + " as '" + DisplayPath(text) + "', which is not a number");
    }
    return value;
}

bool TrueAt(const CPLXMLNode* node, const char* name) {
    const char* text = CPLGetXMLValue(node, name, "false");
    return CPLTestBool(text);
}

std::optional<MosaicRect> RectAt(const std::string& path, const CPLXMLNode* source, const char* name,
                                 const std::string& where) {
    const CPLXMLNode* rect = CPLGetXMLNode(source, name);
    if (!rect) return std::nullopt;
    const std::string place = where + "'s " + name;
    const auto at = [&](const char* attribute) {
        const std::optional<double> v = NumberAt<double>(path, rect, attribute, place);
        if (!v || !(std::fabs(*v) <= kLargestPlace)) {
            throw Error(path, "its " + place + " needs " + attribute + " between -2^31 and 2^31");
        }
        return *v;
    };
    const MosaicRect r{at("xOff"), at("yOff"), at("xSize"), at("ySize")};
    if (!(r.Width > 0 && r.Rows > 0)) throw Error(path, "its " + place + " is empty");
    return r;
}

MosaicSource ReadSource(const std::string& path, const CPLXMLNode* node, const std::string& where) {
    CheckChildren(path, node, where);
    MosaicSource source;
    const CPLXMLNode* name = CPLGetXMLNode(node, "SourceFilename");
    if (!name) throw Error(path, "its " + where + " names no file");
    source.Name = CPLGetXMLValue(name, nullptr, "");
    const std::optional<int> relative = NumberAt<int>(path, name, "relativeToVRT", where);
    source.RelativeToMosaic = relative.value_or(0) != 0;
    const char* band = CPLGetXMLValue(node, "SourceBand", "1");
    if (!ParseWhole(band, source.Band) || source.Band < 1) {
        RefusePart(path, where, "the band '" + DisplayPath(band) + "' (a source's mask or no band at all)");
    }
    source.From = RectAt(path, node, "SrcRect", where);
    source.To = RectAt(path, node, "DstRect", where);
    source.Complex = IsNamed(node, "ComplexSource");
    source.NoData = NumberAt<double>(path, node, "NODATA", where);
    source.ScaleOffset = NumberAt<double>(path, node, "ScaleOffset", where).value_or(0);
    source.ScaleRatio = NumberAt<double>(path, node, "ScaleRatio", where).value_or(1);
    if (TrueAt(node, "UseMaskBand")) RefusePart(path, where, "a mask (UseMaskBand)");
    const std::string resampling = CPLGetXMLValue(node, "resampling", "");
    if (!resampling.empty() && !EQUAL(resampling.c_str(), "near") && !EQUAL(resampling.c_str(), "nearest")) {
        RefusePart(path, where, "the resampling '" + DisplayPath(resampling) + "' (only the nearest cell is taken)");
    }
    return source;
}

MosaicBand ReadBand(const std::string& path, const CPLXMLNode* node, const std::string& where) {
    CheckChildren(path, node, where);
    MosaicBand band;
    band.DataType = CPLGetXMLValue(node, "dataType", "Byte");
    const GDALDataType type = GDALGetDataTypeByName(band.DataType.c_str());
    if (type == GDT_Unknown || GDALDataTypeIsComplex(type)) {
        throw Error(path, "its " + where + " has samples of type '" + DisplayPath(band.DataType) +
                              "', which is not supported");
    }
    band.NoData = NumberAt<double>(path, node, "NoDataValue", where);
    if (TrueAt(node, "HideNoDataValue")) RefusePart(path, where, "a hidden no-data value (HideNoDataValue)");
    for (const CPLXMLNode* child = node->psChild; child; child = child->psNext) {
        if (!IsNamed(child, "SimpleSource") && !IsNamed(child, "ComplexSource")) continue;
        band.Sources.push_back(ReadSource(path, child, where + ", source " + std::to_string(band.Sources.size() + 1)));
    }
    return band;
}

std::optional<std::array<double, 6>> TransformAt(const std::string& path, const CPLXMLNode* root) {
    const char* text = CPLGetXMLValue(root, "GeoTransform", nullptr);
    if (!text) return std::nullopt;
    const CPLStringList numbers(CSLTokenizeString2(text, ",", CSLT_STRIPLEADSPACES | CSLT_STRIPENDSPACES));
    std::array<double, 6> transform{};
    bool valid = numbers.size() == 6;
    for (int i = 0; valid && i < 6; ++i) valid = ParseWhole(numbers[i], transform[i]) && std::isfinite(transform[i]);
    if (!valid) throw Error(path, "its GeoTransform '" + DisplayPath(text) + "' is not six numbers");
    return transform;
}

std::string MosaicText(const InputFile& file) {
    if (file.Size() > kLargestMosaicText) {
        throw Error(file.Path(), "a mosaic's text of more than " + std::to_string(kLargestMosaicText >> 20) +
                                     " MiB is not supported");
    }
    std::string text(static_cast<std::size_t>(file.Size()), '\0');
    file.ReadAt(0, {reinterpret_cast<std::uint8_t*>(text.data()), text.size()});
    return text;
}

}  // namespace

bool IsMosaic(const InputFile& file) {
    std::string head(static_cast<std::size_t>(std::min<std::uint64_t>(file.Size(), 1024)), '\0');
    file.ReadAt(0, {reinterpret_cast<std::uint8_t*>(head.data()), head.size()});
    std::string_view text = head;
    if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
    const auto skipSpace = [&] { text.remove_prefix(std::min(text.size(), text.find_first_not_of(" \t\r\n"))); };
    skipSpace();
    if (text.starts_with("<?xml")) {
        const std::size_t end = text.find("?>");
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 2);
        skipSpace();
    }
    return text.starts_with("<VRTDataset");
}

MosaicDescription ReadMosaicDescription(const InputFile& file) {
    const std::string& path = file.Path();
    const std::unique_ptr<CPLXMLNode, FreeXml> tree(CPLParseXMLString(MosaicText(file).c_str()));
    const CPLXMLNode* root = tree ? CPLGetXMLNode(tree.get(), "=VRTDataset") : nullptr;
    if (!root) throw Error(path, "the mosaic's text is not a VRTDataset of well-formed XML" + QuietGdal::LastMessage());
    CheckChildren(path, root, "mosaic");
    MosaicDescription mosaic;
    const std::optional<std::int64_t> width = NumberAt<std::int64_t>(path, root, "rasterXSize", "mosaic");
    const std::optional<std::int64_t> rows = NumberAt<std::int64_t>(path, root, "rasterYSize", "mosaic");
    CheckWorldSize(path, width.value_or(0), rows.value_or(0));
    mosaic.Width = static_cast<std::int32_t>(*width);
    mosaic.Rows = static_cast<std::int32_t>(*rows);
    mosaic.Crs = CPLGetXMLValue(root, "SRS", "");
    mosaic.Transform = TransformAt(path, root);
    std::size_t pieces = 0;
    for (const CPLXMLNode* child = root->psChild; child; child = child->psNext) {
        if (!IsNamed(child, "VRTRasterBand")) continue;
        mosaic.Bands.push_back(ReadBand(path, child, "band " + std::to_string(mosaic.Bands.size() + 1)));
        pieces += mosaic.Bands.back().Sources.size();
        if (pieces > kMostPieces) {
            throw Error(path, "a mosaic of more than " + std::to_string(kMostPieces) + " pieces is not supported");
        }
    }
    return mosaic;
}

}  // namespace orvalis
