#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "math/VectorTypes.h"

namespace orvalis {

// Handed to GL as three tightly packed floats.
using MeshVertex = Vector3;
static_assert(sizeof(MeshVertex) == 12);

struct MeshTexCoord {
    float s = 0.0f;
    float t = 0.0f;
};
static_assert(sizeof(MeshTexCoord) == 8);

// The preview's relief: quad corners with their texture coordinates, the
// sampled height grid, and the GL texture drawn on it.
struct THeightMap {
    std::vector<MeshVertex> Vertices;
    std::vector<MeshTexCoord> TexCoords;
    std::vector<std::vector<std::uint8_t>> Heights;
    std::uint32_t TextureId = 0;  // the preview texture's GL name
};

// The mesh spans this many world units a side, centred on the origin.
inline constexpr float kMeshWorldSize = 32.0f;

// How the relief stands over its ground. The ground keeps the heightmap's
// proportions, kMeshWorldSize along its longer side (a square map: the
// classic mesh, byte for byte).
struct MeshRelief {
    // The height of one grey level in world units, for a terrain at its true
    // scale; none: the classic 0.02 (heights 0 to 5.1 whatever the ground).
    std::optional<double> UnitsPerLevel;
    // Every height is multiplied by it.
    float Exaggeration = 1.0f;
};

// Samples the heightmap at (resolution + 1)^2 grid points into Heights and lays
// (resolution - 1)^2 quads over the grid. The picture is read anew each time;
// a file that cannot be read raises its Error, after which Vertices and
// TexCoords are empty and Heights still holds the earlier grid. TextureId is
// left alone.
void BuildMeshArrays(THeightMap& mesh, const std::string& heightmapFile, std::int32_t resolution,
                     const MeshRelief& relief = {});

// Points the current GL context's vertex and texture-coordinate arrays at the
// mesh. GL keeps the raw addresses: they hold until the mesh's arrays change.
void PointGlArraysAt(const THeightMap& mesh);

// BuildMeshArrays, then PointGlArraysAt when a GL context is current. The
// arrays are pointed at only after a successful build.
void BuildPreviewMesh(THeightMap& mesh, const std::string& heightmapFile, std::int32_t resolution,
                      const MeshRelief& relief = {});

}  // namespace orvalis
