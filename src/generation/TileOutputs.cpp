#include "generation/TileOutputs.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "generation/MosaicVrt.h"

namespace orvalis {

namespace {

namespace fs = std::filesystem;

int BandsOf(OutputKind kind) {
    switch (kind) {
        case OutputKind::Lightmap:
        case OutputKind::ShadowMap: return 1;
        case OutputKind::SplatMap:
        case OutputKind::SplatMapSecond: return 4;
        case OutputKind::Texture:
        case OutputKind::NormalMap: break;
    }
    return 3;
}

int DigitsOf(std::int32_t value) { return static_cast<int>(std::to_string(value).size()); }

// Where the world texture lies: the heightmap's extent at the texture's size.
std::optional<GeoReference> TexturePlace(const WorldPlan& plan, const WorldFacts& world) {
    if (!world.Geo) return std::nullopt;
    GeoReference place = *world.Geo;
    if (place.Transform) {
        place.Transform = TransformForSize(*place.Transform, world.Width, world.Rows, plan.Texture().Width,
                                           plan.Texture().Rows);
    }
    return place;
}

}  // namespace

std::vector<TileOutput> TileOutputsOf(const GenerationRequest& request) {
    std::vector<TileOutput> outputs;
    std::vector<std::string> labels;
    for (const NamedOutput& output : OutputNames(request, kTileTextureStem)) {
        if (output.WorldFile || output.Use == NameUse::Remove) continue;
        const TileOutput tiles{output.Kind, fs::path(output.Path).stem().string(), BandsOf(output.Kind)};
        for (std::size_t i = 0; i < outputs.size(); ++i) {
            if (outputs[i].Stem != tiles.Stem) continue;
            throw RequestError(labels[i] + " and " + output.Label + " would both make tiles named " + tiles.Stem +
                               "_C_R; give them names of different stems");
        }
        outputs.push_back(tiles);
        labels.push_back(output.Label);
    }
    return outputs;
}

std::string TileSuffix(const WorldPlan& plan, std::int32_t column, std::int32_t row) {
    const int digits = DigitsOf(std::max(plan.Columns(), plan.Rows()) - 1);
    char suffix[32];
    std::snprintf(suffix, sizeof suffix, "_%0*d_%0*d", digits, static_cast<int>(column), digits, static_cast<int>(row));
    return suffix;
}

std::string TileFileName(const TileOutput& output, const WorldPlan& plan, std::int32_t column, std::int32_t row,
                         OutputFormat format) {
    return output.Stem + TileSuffix(plan, column, row) + ExtensionOf(format);
}

std::vector<std::string> WriteTileMosaics(const WorldPlan& plan, const WorldFacts& world,
                                          const GenerationRequest& request, const std::string& folder) {
    std::vector<std::string> written;
    for (const TileOutput& output : TileOutputsOf(request)) {
        MosaicLayout layout{plan.Texture().Width, plan.Texture().Rows, output.Bands,
                            request.Format == OutputFormat::Png ? PieceFormat::Png : PieceFormat::GeoTiff,
                            TexturePlace(plan, world), {}};
        for (std::int32_t row = 0; row < plan.Rows(); ++row) {
            for (std::int32_t column = 0; column < plan.Columns(); ++column) {
                const PixelRect rect = plan.Tile(column, row).Texture;
                layout.Pieces.push_back({TileFileName(output, plan, column, row, request.Format), rect.X0, rect.Y0,
                                         rect.Width(), rect.Rows()});
            }
        }
        written.push_back((fs::path(folder) / (output.Stem + ".vrt")).string());
        WriteMosaicVrt(written.back(), layout);
    }
    return written;
}

}  // namespace orvalis
