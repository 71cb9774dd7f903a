#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace orvalis {

struct MeshVertex {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
};
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

}  // namespace orvalis
