#include "generation/MosaicVrt.h"

#include <algorithm>
#include <cstdint>

#include "files/AtomicFile.h"
#include "math/NumberText.h"

namespace orvalis {

namespace {

// The strips GDAL's GeoTIFF writer makes unless told otherwise (libtiff's
// default of 8 KiB). GDAL reads a piece right whatever its blocks are; the
// size only spares it a guess.
constexpr std::int32_t kStripBytes = 8192;

std::string Escaped(const std::string& text) {
    std::string escaped;
    for (const char c : text) {
        switch (c) {
            case '&': escaped += "&amp;"; break;
            case '<': escaped += "&lt;"; break;
            case '>': escaped += "&gt;"; break;
            case '"': escaped += "&quot;"; break;
            default: escaped += c;
        }
    }
    return escaped;
}

std::string Attribute(const char* name, std::int64_t value) {
    return std::string(" ") + name + "=\"" + std::to_string(value) + "\"";
}

std::string Rect(const char* element, std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t rows) {
    return std::string("      <") + element + Attribute("xOff", x) + Attribute("yOff", y) + Attribute("xSize", width) +
           Attribute("ySize", rows) + "/>\n";
}

const char* ColourOf(int band, int bands) {
    if (bands == 1) return "Gray";
    const char* const colours[] = {"Red", "Green", "Blue"};
    return band <= 3 ? colours[band - 1] : "Undefined";
}

std::int32_t RowsPerBlock(const MosaicLayout& layout, std::int32_t width) {
    if (layout.Format == PieceFormat::Png) return 1;
    return std::max<std::int32_t>(1, kStripBytes / (std::int64_t{width} * layout.Bands));
}

std::string SourceText(const MosaicLayout& layout, const MosaicPiece& piece, int band) {
    return "    <SimpleSource>\n      <SourceFilename relativeToVRT=\"1\">" + Escaped(piece.File) +
           "</SourceFilename>\n      <SourceBand>" + std::to_string(band) + "</SourceBand>\n" +
           "      <SourceProperties" + Attribute("RasterXSize", piece.Width) + Attribute("RasterYSize", piece.Rows) +
           " DataType=\"Byte\"" + Attribute("BlockXSize", piece.Width) +
           Attribute("BlockYSize", std::min(piece.Rows, RowsPerBlock(layout, piece.Width))) + "/>\n" +
           Rect("SrcRect", 0, 0, piece.Width, piece.Rows) + Rect("DstRect", piece.X, piece.Y, piece.Width, piece.Rows) +
           "    </SimpleSource>\n";
}

// Without an axis mapping GDAL takes the coordinate system in its
// traditional order (x east, y north), as the pieces' own georeference does.
std::string PlaceText(const MosaicLayout& layout) {
    if (!layout.Geo) return {};
    std::string text;
    if (!layout.Geo->Crs.empty()) {
        text += "  <SRS>" + Escaped(layout.Geo->Crs) + "</SRS>\n";
    }
    if (const auto& t = layout.Geo->Transform) {
        text += "  <GeoTransform>";
        for (std::size_t i = 0; i < t->size(); ++i) text += (i ? ", " : "") + NumberText((*t)[i]);
        text += "</GeoTransform>\n";
    }
    return text;
}

}  // namespace

std::string MosaicVrtText(const MosaicLayout& layout) {
    std::string text = "<VRTDataset" + Attribute("rasterXSize", layout.Width) + Attribute("rasterYSize", layout.Rows) +
                       ">\n" + PlaceText(layout);
    for (int band = 1; band <= layout.Bands; ++band) {
        text += "  <VRTRasterBand dataType=\"Byte\"" + Attribute("band", band) + ">\n    <ColorInterp>" +
                ColourOf(band, layout.Bands) + "</ColorInterp>\n";
        for (const MosaicPiece& piece : layout.Pieces) text += SourceText(layout, piece, band);
        text += "  </VRTRasterBand>\n";
    }
    return text + "</VRTDataset>\n";
}

void WriteMosaicVrt(const std::string& path, const MosaicLayout& layout) {
    const std::string text = MosaicVrtText(layout);
    WriteFileAtomically(path, {{reinterpret_cast<const std::uint8_t*>(text.data()), text.size()}});
}

}  // namespace orvalis
