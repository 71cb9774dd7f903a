// Every byte of the normal maps, lightmaps and textures of a matrix of small
// heightmaps and light settings, pinned as FNV-1a hashes. The lighting kernels
// have fast paths; these hashes hold them to the bytes of the plain
// arithmetic, at every thread count. A mismatch names the case and the first
// pixel that differs from the scalar path on one thread, with both values,
// and prints the row to compare.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cinttypes>
#include <cstdio>
#include <functional>
#include <span>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "blending/BandBlend.h"
#include "generation/GenerateTexture.h"
#include "io/PictureFile.h"
#include "lighting/Lightmap.h"
#include "lighting/NormalMap.h"
#include "lighting/ShadowMarch.h"
#include "common/KernelLevels.h"
#include "common/PinnedBytes.h"
#include "common/ScratchFolderTest.h"
#include "common/TestPictures.h"
#include "common/TestTiles.h"

namespace orvalis {
namespace {

using test::Grey;
using test::MakePicture;

constexpr std::array<int, 6> kSunPositions = {0, 1, 50, 100, 399, 400};

// Every 15 degrees, and both sides of each right angle.
std::vector<int> LightDirections() {
    std::vector<int> directions;
    for (int d = 0; d <= 360; d += 15) directions.push_back(d);
    for (int d : {89, 91, 179, 181, 269, 271, 359}) directions.push_back(d);
    return directions;
}

// A small integer hash for deterministic noise.
std::uint32_t Mix(std::uint32_t a, std::uint32_t b) {
    std::uint32_t h = a * 0x9e3779b1u ^ (b + 0x7f4a7c15u) * 0x85ebca77u;
    h ^= h >> 15;
    h *= 0x2c1b3c6du;
    return h ^ h >> 13;
}

// Midpoint displacement on a 65 x 65 grid, blurred once: smooth hills.
TDibBuffer FractalHeightmap() {
    constexpr int n = 65;
    std::vector<int> h(n * n, 0);
    const auto at = [&](int r, int c) -> int& { return h[r * n + c]; };
    at(0, 0) = 40, at(0, n - 1) = 200, at(n - 1, 0) = 120, at(n - 1, n - 1) = 250;
    int amplitude = 96;
    for (int step = n - 1; step > 1; step /= 2, amplitude = amplitude * 5 / 8) {
        const int half = step / 2;
        const auto jitter = [&](int r, int c) {
            return static_cast<int>(Mix(r, c) % (2 * amplitude + 1)) - amplitude;
        };
        for (int r = half; r < n; r += step) {
            for (int c = half; c < n; c += step) {
                at(r, c) = (at(r - half, c - half) + at(r - half, c + half) + at(r + half, c - half) +
                            at(r + half, c + half)) / 4 + jitter(r, c);
            }
        }
        for (int r = 0; r < n; r += half) {
            for (int c = (r / half % 2 == 0) ? half : 0; c < n; c += step) {
                int sum = 0, count = 0;
                for (const auto& [dr, dc] : {std::pair{-half, 0}, {half, 0}, {0, -half}, {0, half}}) {
                    if (r + dr >= 0 && r + dr < n && c + dc >= 0 && c + dc < n) sum += at(r + dr, c + dc), ++count;
                }
                at(r, c) = sum / count + jitter(r, c);
            }
        }
    }
    return MakePicture(64, 64, [&](std::int32_t row, std::int32_t column) {
        const int sum = at(row, column) + at(row + 1, column) + at(row, column + 1) + at(row + 1, column + 1);
        const int level = std::clamp(sum / 4, 0, 255);
        // Channels that differ a little, so that heights fall between whole levels.
        return PixelColour{static_cast<std::uint8_t>(level), static_cast<std::uint8_t>(std::max(level - 1, 0)),
                           static_cast<std::uint8_t>(level)};
    });
}

struct NamedHeightmap {
    const char* Name;
    std::function<TDibBuffer()> Make;
};

const std::vector<NamedHeightmap>& Heightmaps() {
    static const std::vector<NamedHeightmap> heightmaps = {
        {"level", [] { return test::GreyPicture(37, 29, 100); }},
        {"level_between", [] { return MakePicture(37, 29, [](auto, auto) { return PixelColour{101, 100, 100}; }); }},
        {"ramp_columns", [] { return MakePicture(37, 29, [](auto, std::int32_t c) { return Grey(7 * c); }); }},
        {"ramp_rows", [] { return MakePicture(37, 29, [](std::int32_t r, auto) { return Grey(255 - 9 * r); }); }},
        {"ramp_diagonal", [] {
             return MakePicture(37, 29, [](std::int32_t r, std::int32_t c) { return Grey((3 * c + 5 * r) % 256); });
         }},
        {"walls", [] {
             return MakePicture(37, 29, [](std::int32_t r, std::int32_t c) {
                 return Grey(c == 20 ? 200 : r == 9 ? 30 : (c == 6 && r > 14) ? 255 : 0);
             });
         }},
        {"noise", [] {
             return MakePicture(37, 29, [](std::int32_t r, std::int32_t c) {
                 const std::uint32_t v = Mix(r, c);
                 return PixelColour{static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8),
                                    static_cast<std::uint8_t>(v >> 16)};
             });
         }},
        {"fractal", FractalHeightmap},
        {"rugged_wide", [] { return test::RuggedTerrain(61, 17); }},
        {"rugged_top_down", [] { return test::RuggedTerrain(29, -23); }},
        {"one_pixel", [] { return test::GreyPicture(1, 1, 77); }},
        {"two_by_two", [] { return MakePicture(2, 2, [](std::int32_t r, std::int32_t c) { return Grey(90 * r + 40 * c); }); }},
        {"odd_3x5", [] { return MakePicture(3, 5, [](std::int32_t r, std::int32_t c) { return Grey(Mix(r, c) % 256); }); }},
        {"one_column", [] { return MakePicture(1, 7, [](std::int32_t r, auto) { return Grey(30 * r); }); }},
        {"one_row", [] { return MakePicture(9, 1, [](auto, std::int32_t c) { return Grey(25 * c); }); }},
    };
    return heightmaps;
}

// The expected hashes of one heightmap: its normal map, its blends at texture
// sizes 16 and 50, and per sun position the lightmaps and lit 50 x 50
// textures of every light direction in turn.
struct PinnedHashes {
    const char* Name;
    std::uint64_t Normals;
    std::uint64_t Blend16;
    std::uint64_t Blend50;
    std::array<std::uint64_t, kSunPositions.size()> Lightmaps;
    std::array<std::uint64_t, kSunPositions.size()> LitTextures;
};

// clang-format off
const PinnedHashes kPinned[] = {
#include "PinnedHashes.inc"
};
// clang-format on

// The heightmap as a generation lights it: rows counting up from the bottom edge.
TDibBuffer Upright(const TDibBuffer& heightmap) { return test::Redrawn(heightmap, false); }

// A generation lights the heightmap file, as read, through LightHeightmap,
// which works row by row without a whole normal map; some directions of each
// sun position check that it gives the bytes pinned above.
bool LightsAsPinned(int direction) { return direction % 89 == 0 || direction == 181; }

// Every byte behind the hashes of one heightmap, block by block.
struct Outputs {
    test::PinnedBytes Normals, Blend16, Blend50;
    std::array<test::PinnedBytes, kSunPositions.size()> Lightmaps, LitTextures;
};

void AddNormals(test::PinnedBytes& bytes, std::string what, const TNormalMap& normals, std::int32_t width) {
    bytes.Add(std::move(what), {reinterpret_cast<const std::uint8_t*>(normals.data()), normals.size() * sizeof(NormalEntry)},
              width, sizeof(NormalEntry));
}

Outputs MakeOutputs(const NamedHeightmap& source, int threads, const std::string& folder) {
    const RunOptions run{threads, {}};
    const TDibBuffer heightmap = source.Make();
    const test::Tiles tiles = test::PatternedTiles();

    Outputs outputs;
    outputs.Blend16.Add("the blend at size 16", BlendTexture(heightmap, tiles.Set(), 16, run));
    const TDibBuffer texture = BlendTexture(heightmap, tiles.Set(), 50, run);
    outputs.Blend50.Add("the blend at size 50", texture);

    const TDibBuffer upright = Upright(heightmap);
    const HeightPlane heights = HeightsOfPixels(upright);
    const std::string heightmapPath = folder + "/heightmap.bmp";
    heightmap.WriteBmpFile(heightmapPath);
    TNormalMap normals;
    BuildNormalMap(heights, normals, 1.0f, run);
    AddNormals(outputs.Normals, "the normal map", normals, upright.Width());
    for (std::size_t s = 0; s < kSunPositions.size(); ++s) {
        for (const int direction : LightDirections()) {
            const std::string light = "light direction " + std::to_string(direction) + ", sun position " +
                                      std::to_string(kSunPositions[s]);
            TDibBuffer lightmap;
            lightmap.Allocate(upright.Width(), upright.Height(), 24);
            ShadeLightmap(heights, normals, LightVector({direction, kSunPositions[s]}), 1.0f, lightmap,
                          0.6f, 0.5f, true, run);
            outputs.Lightmaps[s].Add("the lightmap of " + light, lightmap);
            if (LightsAsPinned(direction)) {
                const TDibBuffer built =
                    LightHeightmap(ReadHeightmapPicture(heightmapPath), {direction, kSunPositions[s]}, run);
                EXPECT_TRUE(test::SamePixels(built, lightmap)) << direction << ", " << kSunPositions[s];
            }
            TDibBuffer lit = Upright(texture);
            ApplyLightmap(lit, lightmap, run);
            outputs.LitTextures[s].Add("the texture lit by " + light, lit);
        }
    }
    return outputs;
}

PinnedHashes HashesOf(const char* name, const Outputs& outputs) {
    PinnedHashes hashes{name, outputs.Normals.Hash(), outputs.Blend16.Hash(), outputs.Blend50.Hash(), {}, {}};
    for (std::size_t s = 0; s < kSunPositions.size(); ++s) {
        hashes.Lightmaps[s] = outputs.Lightmaps[s].Hash();
        hashes.LitTextures[s] = outputs.LitTextures[s].Hash();
    }
    return hashes;
}

// The first hash that differs from its pinned value, traced to a pixel by
// the same outputs of the scalar path on one thread: the fast paths and the
// threads are what usually go wrong. When that path gives the same bytes,
// the plain arithmetic itself changed, and only the hash can say so.
std::string WhatDiffers(const NamedHeightmap& source, const Outputs& actual, const PinnedHashes& pinned,
                        const std::string& folder) {
    const test::ScopedKernel scalar(KernelLevel::Scalar);
    const Outputs plain = MakeOutputs(source, 1, folder);
    std::vector<std::pair<const test::PinnedBytes*, const test::PinnedBytes*>> pairs{
        {&actual.Normals, &plain.Normals}, {&actual.Blend16, &plain.Blend16}, {&actual.Blend50, &plain.Blend50}};
    std::vector<std::uint64_t> expected{pinned.Normals, pinned.Blend16, pinned.Blend50};
    for (std::size_t s = 0; s < kSunPositions.size(); ++s) {
        pairs.push_back({&actual.Lightmaps[s], &plain.Lightmaps[s]});
        expected.push_back(pinned.Lightmaps[s]);
        pairs.push_back({&actual.LitTextures[s], &plain.LitTextures[s]});
        expected.push_back(pinned.LitTextures[s]);
    }
    for (std::size_t i = 0; i < pairs.size(); ++i) {
        const auto [fast, reference] = pairs[i];
        if (fast->Hash() == expected[i]) continue;
        const std::string where = test::FirstDifference(*fast, *reference);
        if (!where.empty()) return std::string(source.Name) + ", " + where;
        return std::string(source.Name) + ", " + fast->Blocks().front().What +
               " and the rest of its hash: the scalar path on one thread gives the same bytes, so the plain "
               "arithmetic changed";
    }
    return std::string(source.Name) + ": every hash as pinned";
}

std::string TableRow(const PinnedHashes& h) {
    const auto hex = [](std::uint64_t v) {
        char text[24];
        std::snprintf(text, sizeof text, "0x%016" PRIx64 "u", v);
        return std::string(text);
    };
    std::string row = std::string("{\"") + h.Name + "\", " + hex(h.Normals) + ", " + hex(h.Blend16) + ", " +
                      hex(h.Blend50) + ",\n {";
    for (std::size_t s = 0; s < kSunPositions.size(); ++s) row += (s ? ", " : "") + hex(h.Lightmaps[s]);
    row += "},\n {";
    for (std::size_t s = 0; s < kSunPositions.size(); ++s) row += (s ? ", " : "") + hex(h.LitTextures[s]);
    return row + "}},";
}

bool operator==(const PinnedHashes& a, const PinnedHashes& b) {
    return a.Normals == b.Normals && a.Blend16 == b.Blend16 && a.Blend50 == b.Blend50 &&
           a.Lightmaps == b.Lightmaps && a.LitTextures == b.LitTextures;
}

const PinnedHashes* Pinned(const std::string& name) {
    for (const PinnedHashes& row : kPinned) {
        if (row.Name == name) return &row;
    }
    return nullptr;
}

void PrintTo(const NamedHeightmap& heightmap, std::ostream* out) { *out << heightmap.Name; }

class PinnedOutputTest : public test::ScratchFolderTest,
                         public ::testing::WithParamInterface<NamedHeightmap> {};

TEST_P(PinnedOutputTest, EveryLightSettingAndThreadCountGivesThePinnedBytes) {
    const NamedHeightmap& source = GetParam();
    const PinnedHashes* pinned = Pinned(source.Name);
    for (const int threads : {1, 2, 3}) {
        const Outputs outputs = MakeOutputs(source, threads, folder_.string());
        const PinnedHashes actual = HashesOf(source.Name, outputs);
        if (pinned != nullptr && *pinned == actual) continue;
        ADD_FAILURE() << threads << " threads: "
                      << (pinned ? WhatDiffers(source, outputs, *pinned, folder_.string())
                                 : std::string(source.Name) + " has no pinned row")
                      << "; today's row:\n" << TableRow(actual);
    }
}

INSTANTIATE_TEST_SUITE_P(Heightmaps, PinnedOutputTest, ::testing::ValuesIn(Heightmaps()),
                         [](const ::testing::TestParamInfo<NamedHeightmap>& info) {
                             return std::string(info.param.Name);
                         });

// Other height scales, shading constants, no shadows, and shadow rays in
// directions no light setting gives (falling, unnormalised).
test::PinnedBytes OtherSettingsOutputs(const TDibBuffer& heightmap, int threads) {
    const RunOptions run{threads, {}};
    const HeightPlane heights = HeightsOfPixels(heightmap);
    test::PinnedBytes bytes;
    for (const float heightScale : {0.5f, 2.5f}) {
        std::ostringstream scale;
        scale << "height scale " << heightScale;
        TNormalMap normals;
        BuildNormalMap(heights, normals, heightScale, run);
        AddNormals(bytes, "the normal map at " + scale.str(), normals, heightmap.Width());
        for (const auto& [ambient, diffuse, castShadows] :
             {std::tuple{0.2f, 0.9f, true}, std::tuple{0.6f, 0.5f, false}}) {
            for (const LightSettings light : {LightSettings{30, 20}, {250, 5}, {90, 0}, {181, 400}}) {
                TDibBuffer lightmap;
                lightmap.Allocate(heightmap.Width(), heightmap.Height(), 24);
                ShadeLightmap(heights, normals, LightVector(light), heightScale, lightmap, ambient, diffuse,
                              castShadows, run);
                std::ostringstream what;
                what << "the lightmap of " << scale.str() << ", ambient " << ambient << ", light " << light.LightDir
                     << " / " << light.SunPos << (castShadows ? ", shadows" : ", no shadows");
                bytes.Add(what.str(), lightmap);
            }
        }
    }
    const HeightGrid grid = BuildHeightGrid(heights);
    for (const float heightScale : {1.0f, 0.5f}) {
        for (const Vector3 direction : {Vector3{1, -0.2f, 0.5f}, Vector3{-0.3f, 0.1f, -1}, Vector3{0, 3, 0.01f}}) {
            std::vector<std::uint8_t> shadows;
            for (std::int32_t row = 0; row < grid.Rows(); ++row) {
                for (std::int32_t column = 0; column < grid.Columns(); ++column) {
                    const Vector3 origin{static_cast<float>(column), grid.At(row, column) + 0.25f,
                                         static_cast<float>(row)};
                    shadows.push_back(IsInShadow(grid, heightScale, origin, direction) ? 1 : 0);
                }
            }
            std::ostringstream what;
            what << "the shadows (1: in shadow) of rays along " << direction.x << ", " << direction.y << ", "
                 << direction.z << " at height scale " << heightScale;
            bytes.Add(what.str(), shadows, grid.Columns(), 1);
        }
    }
    return bytes;
}

TEST(PinnedOutput, OtherShadingSettingsGiveThePinnedBytes) {
    const std::array<std::uint64_t, 2> pinned = {
#include "PinnedOtherSettings.inc"
    };
    const std::array<TDibBuffer, 2> heightmaps = {test::RuggedTerrain(37, 23), FractalHeightmap()};
    for (const int threads : {1, 2, 3}) {
        for (std::size_t i = 0; i < heightmaps.size(); ++i) {
            const test::PinnedBytes outputs = OtherSettingsOutputs(heightmaps[i], threads);
            const std::uint64_t actual = outputs.Hash();
            if (actual == pinned[i]) continue;
            const test::ScopedKernel scalar(KernelLevel::Scalar);
            const std::string where = test::FirstDifference(outputs, OtherSettingsOutputs(heightmaps[i], 1));
            ADD_FAILURE() << (i == 0 ? "rugged" : "fractal") << " heightmap, " << threads << " threads: "
                          << (where.empty() ? "the scalar path on one thread gives the same bytes, so the plain "
                                              "arithmetic changed"
                                            : where)
                          << "; today's hash 0x" << std::hex << actual << "u";
        }
    }
}

}  // namespace
}  // namespace orvalis
