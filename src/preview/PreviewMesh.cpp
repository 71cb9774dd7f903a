#include "preview/PreviewMesh.h"

#include <GL/gl.h>

#include <QOpenGLContext>
#include <algorithm>
#include <stdexcept>

#include "io/PictureFile.h"
#include "math/Geometry.h"
#include "raster/DibBuffer.h"

namespace orvalis {
namespace {

// Stands for a point outside the picture; as a signed colour it is -1.
constexpr std::int32_t kInvalidColour = -1;

// The colour at column x, row y counted from the picture's top, as 0x00BBGGRR.
std::int32_t ColourAt(const TDibBuffer& picture, std::int32_t x, std::int32_t y) {
    if (x < 0 || x >= picture.Width() || y < 0 || y >= picture.RowCount()) return kInvalidColour;
    const PixelColour pixel = picture.ReadPixel(picture.BufferRow(y), x);
    return pixel.Red | pixel.Green << 8 | pixel.Blue << 16;
}

// The fraction of the way along one side that sample i lies, scaled to
// extent pixels; the product goes through a float before it is truncated.
std::int32_t SamplePosition(std::int32_t extent, std::int32_t i, std::int32_t resolution) {
    return TruncToInt(static_cast<float>(extent * (static_cast<double>(i) / resolution)));
}

// The whole colour scaled to 0..255: grey v gives v, and the blue byte
// dominates a coloured pixel because it is the high byte.
std::uint8_t HeightOf(std::int32_t colour) {
    const float scaled = static_cast<float>(colour / 16777215.0 * 255);
    return static_cast<std::uint8_t>(TruncToInt(scaled) & 0xFF);
}

void SampleHeights(THeightMap& mesh, const TDibBuffer& picture, std::int32_t resolution) {
    const auto count = static_cast<std::size_t>(resolution) + 1;
    mesh.Heights.assign(count, std::vector<std::uint8_t>(count));
    for (std::int32_t i = 0; i <= resolution; ++i) {
        const std::int32_t x = SamplePosition(picture.Width(), i, resolution);
        for (std::int32_t j = 0; j <= resolution; ++j) {
            const std::int32_t y = SamplePosition(picture.RowCount(), j, resolution);
            mesh.Heights[i][j] = HeightOf(ColourAt(picture, x, y));
        }
    }
}

// Grid index a of resolution steps to a world coordinate in [-16, 16).
float WorldCoordinate(std::int32_t a, std::int32_t resolution) {
    const double half = kMeshWorldSize / 2;
    return static_cast<float>(static_cast<double>(a) / resolution * kMeshWorldSize - half);
}

// Where the corners of a mesh stand: the ground's share of the world size
// along x and z, and the relief.
struct MeshPlacing {
    float SpanX = 1.0f;
    float SpanZ = 1.0f;
    MeshRelief Relief;
};

MeshPlacing PlacingOf(const TDibBuffer& picture, const MeshRelief& relief) {
    const double longer = std::max(picture.Width(), picture.RowCount());
    return {static_cast<float>(picture.Width() / longer), static_cast<float>(picture.RowCount() / longer), relief};
}

// The classic height is rounded as it always was: the doubled level is a
// float before it is scaled, 0 to 5.1.
float CornerHeight(std::uint8_t level, const MeshRelief& relief) {
    if (relief.UnitsPerLevel) return static_cast<float>(level * *relief.UnitsPerLevel * relief.Exaggeration);
    const float doubled = static_cast<float>(2 * level);
    return static_cast<float>(doubled * 0.01) * relief.Exaggeration;
}

// The texture covers the ground whatever its proportions, so its
// coordinates come from the square grid before the ground is shaped.
void EmitCorner(THeightMap& mesh, std::int32_t a, std::int32_t b, std::int32_t resolution, const MeshPlacing& placing) {
    const float x = WorldCoordinate(a, resolution);
    const float z = WorldCoordinate(b, resolution);
    mesh.Vertices.push_back({x * placing.SpanX, CornerHeight(mesh.Heights[a][b], placing.Relief), z * placing.SpanZ});
    const double half = kMeshWorldSize / 2;
    mesh.TexCoords.push_back({static_cast<float>((static_cast<double>(x) - half) / kMeshWorldSize),
                              static_cast<float>((-static_cast<double>(z) - half) / kMeshWorldSize)});
}

// Each cell's corners go (0,0), (0,1), (1,1), (1,0): counter-clockwise seen
// from above, so every quad faces up. Samples of index resolution are never
// used, so there are (resolution - 1)^2 cells.
void EmitQuads(THeightMap& mesh, std::int32_t resolution, const MeshPlacing& placing) {
    static constexpr std::int32_t kCorners[4][2] = {{0, 0}, {0, 1}, {1, 1}, {1, 0}};
    const auto cells = static_cast<std::size_t>(resolution - 1);
    mesh.Vertices.reserve(4 * cells * cells);
    mesh.TexCoords.reserve(4 * cells * cells);
    for (std::int32_t i = 0; i + 1 < resolution; ++i) {
        for (std::int32_t j = 0; j + 1 < resolution; ++j) {
            for (const auto& corner : kCorners) EmitCorner(mesh, i + corner[0], j + corner[1], resolution, placing);
        }
    }
}

}  // namespace

void BuildMeshArrays(THeightMap& mesh, const std::string& heightmapFile, std::int32_t resolution,
                     const MeshRelief& relief) {
    if (resolution < 1) throw std::invalid_argument("preview resolution must be at least 1");
    mesh.Vertices.clear();
    mesh.TexCoords.clear();
    const TDibBuffer picture = ReadPictureFile(heightmapFile).Pixels;
    SampleHeights(mesh, picture, resolution);
    EmitQuads(mesh, resolution, PlacingOf(picture, relief));
}

void PointGlArraysAt(const THeightMap& mesh) {
    glVertexPointer(3, GL_FLOAT, sizeof(MeshVertex), mesh.Vertices.data());
    glTexCoordPointer(2, GL_FLOAT, sizeof(MeshTexCoord), mesh.TexCoords.data());
}

void BuildPreviewMesh(THeightMap& mesh, const std::string& heightmapFile, std::int32_t resolution,
                      const MeshRelief& relief) {
    BuildMeshArrays(mesh, heightmapFile, resolution, relief);
    if (QOpenGLContext::currentContext()) PointGlArraysAt(mesh);
}

}  // namespace orvalis
