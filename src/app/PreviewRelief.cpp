#include "app/PreviewRelief.h"

#include <algorithm>

#include "generation/HeightmapSampling.h"
#include "io/PictureFile.h"
#include "preview/PreviewMesh.h"

namespace orvalis {

std::optional<double> TrueUnitsPerLevel(const std::string& heightmapPath, const ExportSettings& settings) {
    if (!settings.RealScale) return std::nullopt;
    PictureReadOptions read;
    read.Range = settings.Range;
    const Picture heightmap = ReadHeightmapPicture(heightmapPath, read);
    const TerrainSampling sampling = SamplingOfHeightmap(SamplingOf(settings.TerrainOf()), heightmap, heightmapPath);
    const TerrainScale& scale = sampling.RealScale->Scale;
    const double ground = std::max(heightmap.Pixels.Width() * scale.CellX, heightmap.Pixels.RowCount() * scale.CellY);
    const double level = (heightmap.Levels.High - heightmap.Levels.Low) / 255 * scale.ZFactor;
    return level * kMeshWorldSize / ground;
}

}  // namespace orvalis
