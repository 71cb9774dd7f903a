#include "lighting/RealScaleLight.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <string>

#include "files/Error.h"
#include "lighting/ClearSky.h"
#include "lighting/GroundCells.h"
#include "lighting/HornSlope.h"
#include "lighting/LightingGrids.h"
#include "raster/ResampleHeights.h"
#include "common/RealHeights.h"
#include "common/SkyReference.h"

namespace orvalis {
namespace {

using test::RealHeightPlane;

constexpr double kRadians = std::numbers::pi / 180;

RealScaleLight Light(double azimuth, double elevation, TerrainScale scale = {}, double diameter = 0) {
    RealScaleLight light;
    light.Scale = scale;
    light.Sun = {azimuth, elevation, diameter};
    return light;
}

double Share(const std::vector<float>& values, bool (*counted)(float)) {
    return static_cast<double>(std::count_if(values.begin(), values.end(), counted)) / values.size();
}

bool InShadow(float visibility) { return visibility < 0.5f; }

// --- Units: cell sizes and the z-factor scale slopes as the world does ---

struct PlaneCase {
    const char* Name;
    TerrainScale Scale;
    double RiseEast;   // height per column
    double RiseNorth;  // height per row
    double Azimuth;    // where the plane's normal points
    double Elevation;
};

// A plane lit by the sun alone from straight along its normal is fully
// bright, whatever the units: only the slope in the world counts.
TEST(RealScaleUnits, APlaneLitAlongItsNormalIsFullyBright) {
    const PlaneCase cases[] = {
        {"45 degrees east, unit cells", {1, 1, 1}, 1, 0, 270, 45},
        {"45 degrees east, 2 m cells", {2, 2, 1}, 2, 0, 270, 45},
        {"45 degrees east through the z-factor", {1, 1, 2}, 0.5, 0, 270, 45},
        {"45 degrees north, 3 m rows", {1, 3, 1}, 0, 3, 180, 45},
        {"30 degrees west, 10 m cells", {10, 10, 1}, -10 * std::tan(30 * kRadians), 0, 90, 60},
        {"45 degrees south, 30 m cells, z-factor 3", {30, 30, 3}, 0, -10, 0, 45},
    };
    for (const PlaneCase& c : cases) {
        const HeightPlane plane = RealHeightPlane(24, 20, [&c](std::int32_t row, std::int32_t column) {
            return 500 + c.RiseEast * column + c.RiseNorth * row;
        });
        RealScaleLight light = Light(c.Azimuth, c.Elevation, c.Scale);
        light.Ambient = 0;
        const LitTerrain lit = LightAtRealScale(plane, light);
        for (const float shade : lit.Shade) ASSERT_NEAR(shade, 1.0, 1e-5) << c.Name;
    }
}

// Turned away from the sun, a slope gets the sky's light on its face and no
// less: the same as where it lies in shadow. Its top row, at the map's
// eastern edge, sees the sun and is lit no differently.
TEST(RealScaleUnits, AFaceTurnedAwayIsLitAsAShadowIs) {
    const HeightPlane plane = RealHeightPlane(20, 20, [](std::int32_t, std::int32_t column) { return 2.0 * column; });
    const ClearSky sky(SunPosition{90, 30, 0});
    for (const double ambient : {0.0, 0.3, 0.7}) {
        RealScaleLight light = Light(90, 30);  // sun in the east, the slope faces west
        light.Ambient = ambient;
        const LitTerrain lit = LightAtRealScale(plane, light);
        const auto expected = static_cast<float>(ambient * sky.OnOpenFace({2, 0}));
        for (std::size_t i = 0; i < lit.Shade.size(); ++i) {
            ASSERT_FLOAT_EQ(lit.Shade[i], expected) << ambient;
            ASSERT_EQ(lit.SunVisibility[i], i % 20 == 19 ? 1.0f : 0.0f) << i;
        }
        if (ambient > 0) {
            EXPECT_LT(expected, ambient) << "a steep face sees less sky than level ground";
        }
    }
}

// Horn's normals are those of the plain textbook formula (slope and aspect,
// as GIS tools shade), inside the map.
TEST(RealScaleUnits, ShadingFollowsThePlainHornFormula) {
    const TerrainScale scale{30, 30, 1.5};
    const HeightPlane plane = RealHeightPlane(40, 30, [](std::int32_t row, std::int32_t column) {
        return 300 + 40 * std::sin(column / 5.0) * std::cos(row / 7.0) + 3 * column;
    });
    const double azimuths[] = {0, 45, 135, 200, 300};
    for (const double azimuth : azimuths) {
        const double elevation = 70;
        RealScaleLight light = Light(azimuth, elevation, scale);
        light.Ambient = 0;
        const LitTerrain lit = LightAtRealScale(plane, light);
        const double zenith = (90 - elevation) * kRadians;
        const double mathAzimuth = std::fmod(360 - azimuth + 90, 360) * kRadians;
        for (std::int32_t row = 1; row + 1 < plane.Rows; ++row) {
            for (std::int32_t column = 1; column + 1 < plane.Width; ++column) {
                // a b c / d e f / g h i with a b c the northern row.
                const auto z = [&](int dr, int dc) { return static_cast<float>(plane.At(row + dr, column + dc) * 1.5); };
                const double dzdx = ((z(1, 1) + 2 * z(0, 1) + z(-1, 1)) - (z(1, -1) + 2 * z(0, -1) + z(-1, -1))) / (8 * 30.0);
                const double dzdy = ((z(-1, -1) + 2 * z(-1, 0) + z(-1, 1)) - (z(1, -1) + 2 * z(1, 0) + z(1, 1))) / (8 * 30.0);
                const double slope = std::atan(std::hypot(dzdx, dzdy));
                double aspect = std::atan2(dzdy, -dzdx);
                if (aspect < 0) aspect += 2 * std::numbers::pi;
                const double expected = std::cos(zenith) * std::cos(slope) +
                                        std::sin(zenith) * std::sin(slope) * std::cos(mathAzimuth - aspect);
                const std::size_t i = plane.IndexOf(row, column);
                ASSERT_NEAR(lit.Shade[i], std::max(0.0, expected) * lit.SunVisibility[i], 2e-6)
                    << "azimuth " << azimuth << " at " << row << ", " << column;
            }
        }
    }
}

// --- Geographic cells: degrees to metres at the map's latitude ---

TEST(GroundCells, DegreesBecomeMetresAtTheLatitude) {
    struct Case {
        double Latitude;
        double MetresX;  // of one degree, WGS 84
        double MetresY;
    };
    const Case cases[] = {
        {0, 111319.5, 110574.4},
        {45, 78846.8, 111131.8},
        {60, 55799.9, 111412.3},
        {-60, 55799.9, 111412.3},
    };
    for (const Case& c : cases) {
        const GroundCellSize cell = MetresOfDegreeCell(1, 1, c.Latitude);
        EXPECT_NEAR(cell.X, c.MetresX, 1.0) << c.Latitude;
        EXPECT_NEAR(cell.Y, c.MetresY, 1.0) << c.Latitude;
    }
    // At 60 degrees a degree of longitude is about half one of latitude;
    // 3 arc-seconds each way make a cell twice as tall as wide.
    const GroundCellSize arcSeconds = MetresOfDegreeCell(3 / 3600.0, 3 / 3600.0, 60);
    EXPECT_NEAR(arcSeconds.X / arcSeconds.Y, 0.5, 0.005);
    EXPECT_NEAR(arcSeconds.Y, 92.84, 0.01);
}

// The cells of a georeferenced map: metres at the centre latitude for
// degrees, a projected system's unit in metres, a bare transform as it is.
TEST(GroundCells, ComeFromTheGeoreference) {
    struct Case {
        const char* Name;
        bool Geographic;
        double MetresPerUnit;
        std::array<double, 6> Transform;
        double X, Y;
    };
    const GroundCellSize at60 = MetresOfDegreeCell(3 / 3600.0, 3 / 3600.0, 60);
    const Case cases[] = {
        // 200 rows of 3 arc-seconds down from 60.0833: the centre lies at 60.
        {"degrees", true, 1, {10, 3 / 3600.0, 0, 60 + 100 * 3 / 3600.0, 0, -3 / 3600.0}, at60.X, at60.Y},
        {"metres", false, 1, {500000, 30, 0, 4100000, 0, -25}, 30, 25},
        {"US feet", false, 0.3048006096012192, {0, 100, 0, 0, 0, -100}, 30.48006096012192, 30.48006096012192},
    };
    for (const Case& c : cases) {
        GeoReference geo;
        geo.Crs = "a system";
        geo.Geographic = c.Geographic;
        geo.MetresPerUnit = c.MetresPerUnit;
        geo.Transform = c.Transform;
        const std::optional<GroundCellSize> cells = GroundCellsOf(geo, 100, 200);
        ASSERT_TRUE(cells) << c.Name;
        EXPECT_NEAR(cells->X, c.X, 1e-9) << c.Name;
        EXPECT_NEAR(cells->Y, c.Y, 1e-9) << c.Name;
    }
    EXPECT_FALSE(GroundCellsOf(GeoReference{}, 10, 10));
}

// --- Borders: a cell at the edge is tested like any other ---

// A wall 40 m high across a 64 x 64 map of 1 m cells, the sun from the
// north along the columns: every column, the outer ones included, is in
// shadow for the wall's shadow length behind it and lit beyond it.
TEST(RealScaleBorders, ColumnsBehindAWallAreShadowedUpToTheEdge) {
    struct Case {
        double Azimuth;
        std::int32_t WallRow;
        int Toward;  // +1: the shadow falls toward higher rows
    };
    const Case cases[] = {{0, 40, -1}, {180, 20, +1}};
    for (const Case& c : cases) {
        const HeightPlane plane = RealHeightPlane(64, 64, [&c](std::int32_t row, std::int32_t) {
            return row == c.WallRow ? 40.0 : 0.0;
        });
        const double elevation = std::atan(40.0 / 25.0) / kRadians;  // a shadow 25 m long
        const LitTerrain lit = LightAtRealScale(plane, Light(c.Azimuth, elevation));
        for (std::int32_t column = 0; column < 64; ++column) {
            for (int behind = 1; behind <= 23; ++behind) {
                const std::int32_t row = c.WallRow + c.Toward * behind;
                EXPECT_EQ(lit.SunVisibility[plane.IndexOf(row, column)], 0.0f) << row << ", " << column;
            }
            for (int behind = 27; behind <= 30; ++behind) {
                const std::int32_t row = c.WallRow + c.Toward * behind;
                EXPECT_EQ(lit.SunVisibility[plane.IndexOf(row, column)], 1.0f) << row << ", " << column;
            }
        }
    }
}

// The edge toward the sun is lit as level ground is, not darker: nothing lies
// beyond the map, and its slope comes from the cells that exist.
TEST(RealScaleBorders, TheSunwardEdgeIsLitAsLevelGround) {
    const HeightPlane plane = RealHeightPlane(32, 32, [](std::int32_t, std::int32_t) { return 120.0; });
    for (const double azimuth : {0.0, 90.0, 180.0, 270.0, 300.0}) {
        const LitTerrain lit = LightAtRealScale(plane, Light(azimuth, 20));
        const float level = static_cast<float>(kDefaultAmbient + (1 - kDefaultAmbient) * std::sin(20 * kRadians));
        for (const float shade : lit.Shade) ASSERT_NEAR(shade, level, 1e-6) << azimuth;
    }
}

// A tilted plane enlarged ten times, by either interpolation, is lit at its
// border as inside: the surface goes on straight past the edge, for the
// resampling and for Horn's window alike. Cells are not square and the
// plane rises both ways, so that a swapped axis or sign shows.
TEST(RealScaleBorders, AnEnlargedPlaneIsLitAtItsBorderAsInside) {
    const HeightPlane plane = RealHeightPlane(12, 9, [](std::int32_t row, std::int32_t column) {
        return 100 + 7.0 * column - 4.0 * row;
    });
    for (const Interpolation interpolation : {Interpolation::Cubic, Interpolation::Spline}) {
        for (const double azimuth : {0.0, 135.0, 300.0}) {
            RealScaleLight light = Light(azimuth, 60, {3.0, 2.0, 1});
            light.SkyLight = true;
            const LightingGrids grids = ResampledLightingGrids(plane, 120, 90, light, interpolation, {});
            const LitTerrain lit = LightAtRealScale(grids, light);
            const auto [darkest, lightest] = std::minmax_element(lit.Shade.begin(), lit.Shade.end());
            EXPECT_LT(*lightest - *darkest, 1e-5) << "azimuth " << azimuth;
        }
    }
}

// Every cell takes exactly its share of the two sweep lines around it: on
// level ground every direction sees the whole sun, on any grid shape and
// cell shape, along the axes, the diagonals and in between.
TEST(RealScaleBorders, EveryCellIsSweptOnceInEveryDirection) {
    struct Grid {
        std::int32_t Width, Rows;
        TerrainScale Scale;
    };
    const Grid grids[] = {{1, 1, {}}, {7, 5, {}}, {33, 17, {2, 3, 1}}, {5, 40, {90, 30, 1}}};
    for (const Grid& g : grids) {
        const HeightPlane plane = RealHeightPlane(g.Width, g.Rows, [](std::int32_t, std::int32_t) { return 7.0; });
        for (const double azimuth : {0.0, 12.3, 45.0, 90.0, 135.0, 180.0, 225.0, 270.0, 300.0, 315.0, 359.9}) {
            const LitTerrain lit = LightAtRealScale(plane, Light(azimuth, 5, g.Scale));
            for (const float v : lit.SunVisibility) {
                ASSERT_NEAR(v, 1.0f, 1e-6) << g.Width << " x " << g.Rows << " from " << azimuth;
            }
        }
    }
}

// --- Resolution: the same terrain at any cell size shadows the same ground ---

// A cone h high on level ground, the sun e above the horizon (below the
// cone's own slope): its shadow reaches h / tan e from the apex.
struct ConeCase {
    double Azimuth;
    double Elevation;
};

struct ConeShadow {
    double Share;
    double Reach;  // ground distance of the farthest shadowed cell from the apex
};

ConeShadow ShadowOfCone(const ConeCase& c, double cell) {
    constexpr double kExtent = 1200, kHeight = 100, kRadius = 120;
    // An odd count puts the apex on a cell centre.
    const auto cells = static_cast<std::int32_t>(kExtent / cell) | 1;
    const double centre = (cells - 1) / 2.0;
    const auto distance = [&](std::int32_t row, std::int32_t column) {
        return std::hypot(row - centre, column - centre) * cell;
    };
    const HeightPlane plane = RealHeightPlane(cells, cells, [&](std::int32_t row, std::int32_t column) {
        return std::max(0.0, kHeight * (1 - distance(row, column) / kRadius));
    });
    const LitTerrain lit = LightAtRealScale(plane, Light(c.Azimuth, c.Elevation, {cell, cell, 1}));
    ConeShadow shadow{Share(lit.SunVisibility, InShadow), 0};
    for (std::int32_t row = 0; row < cells; ++row) {
        for (std::int32_t column = 0; column < cells; ++column) {
            if (InShadow(lit.SunVisibility[plane.IndexOf(row, column)])) {
                shadow.Reach = std::max(shadow.Reach, distance(row, column));
            }
        }
    }
    return shadow;
}

TEST(RealScaleResolution, AConesShadowHasItsLengthAtEveryCellSize) {
    const ConeCase cases[] = {{90, 20}, {300, 12}, {45, 30}, {200, 25}};
    for (const ConeCase& c : cases) {
        const double expected = 100 / std::tan(c.Elevation * kRadians);
        const ConeShadow coarse = ShadowOfCone(c, 8), fine = ShadowOfCone(c, 4);
        // Off the axes the sweep lines pass up to half a cell beside the
        // apex, a little below it, which a low sun turns into a tip up to
        // about 3 cells shorter.
        EXPECT_NEAR(coarse.Reach, expected, 3 * 8) << "azimuth " << c.Azimuth;
        EXPECT_NEAR(fine.Reach, expected, 3 * 4) << "azimuth " << c.Azimuth;
        EXPECT_NEAR(coarse.Share, fine.Share, 0.015) << "azimuth " << c.Azimuth;
        EXPECT_GT(fine.Share, 0.01);
    }
}

// A plain march from every cell centre toward the sun over the bilinear
// terrain, a quarter cell a step, until the ray leaves the map.
std::vector<bool> MarchedShadows(const HeightPlane& plane, const RealScaleLight& light) {
    const TerrainScale& scale = light.Scale;
    const auto height = [&](double row, double column) {
        const auto r0 = static_cast<std::int32_t>(std::floor(row)), c0 = static_cast<std::int32_t>(std::floor(column));
        const double fr = row - r0, fc = column - c0;
        const auto z = [&](std::int32_t r, std::int32_t c) {
            return plane.At(std::min(r, plane.Rows - 1), std::min(c, plane.Width - 1)) * scale.ZFactor;
        };
        return (1 - fr) * ((1 - fc) * z(r0, c0) + fc * z(r0, c0 + 1)) + fr * ((1 - fc) * z(r0 + 1, c0) + fc * z(r0 + 1, c0 + 1));
    };
    const double toward = light.Sun.Azimuth * kRadians, rise = std::tan(light.Sun.Elevation * kRadians);
    const double step = std::min(scale.CellX, scale.CellY) / 4;
    std::vector<bool> shadowed;
    for (std::int32_t row = 0; row < plane.Rows; ++row) {
        for (std::int32_t column = 0; column < plane.Width; ++column) {
            bool blocked = false;
            for (double t = step;; t += step) {
                const double r = row + std::cos(toward) * t / scale.CellY, c = column + std::sin(toward) * t / scale.CellX;
                if (r < 0 || c < 0 || r > plane.Rows - 1 || c > plane.Width - 1) break;
                if (height(r, c) > plane.At(row, column) * scale.ZFactor + t * rise) {
                    blocked = true;
                    break;
                }
            }
            shadowed.push_back(blocked);
        }
    }
    return shadowed;
}

// On rugged ground the sweep's shadows are a plain ray march's but for a
// few cells along the shadows' edges.
TEST(RealScaleResolution, ShadowsAgreeWithAPlainRayMarch) {
    const HeightPlane plane = RealHeightPlane(90, 70, [](std::int32_t row, std::int32_t column) {
        double h = 0;
        for (int i = 1; i <= 12; ++i) {
            h += 200.0 / (i + 1) * std::sin(column * 0.05 * i * std::cos(i * 2.3) + row * 0.05 * i * std::sin(i * 2.3) + i);
        }
        return h;
    });
    const ConeCase suns[] = {{300, 12}, {45, 25}, {135, 8}, {200, 30}, {90, 15}};
    for (const ConeCase& sun : suns) {
        const RealScaleLight light = Light(sun.Azimuth, sun.Elevation, {30, 40, 1.2});
        const std::vector<bool> marched = MarchedShadows(plane, light);
        const LitTerrain lit = LightAtRealScale(plane, light);
        int agree = 0, shadowed = 0;
        for (std::size_t i = 0; i < marched.size(); ++i) {
            agree += marched[i] == InShadow(lit.SunVisibility[i]);
            shadowed += marched[i];
        }
        EXPECT_GE(agree, 0.96 * marched.size()) << "azimuth " << sun.Azimuth;
        EXPECT_GT(shadowed, 0.05 * marched.size()) << "azimuth " << sun.Azimuth;
    }
}

// A small map lit at ten times its size from smoothly resampled heights
// shows no blocks: few neighbouring pixels of the lightmap are equal. Under a
// low sun whose shadows cover half of it, the shadows keep their relief (a
// lightmap lit by a constant there has nearly all of them equal).
TEST(RealScaleResolution, ALightmapFromResampledHeightsHasNoBlocks) {
    const HeightPlane plane = RealHeightPlane(101, 86, [](std::int32_t row, std::int32_t column) {
        return 200 * std::sin(column / 9.0) * std::cos(row / 7.0) + 20 * std::sin(column * 0.7 + row * 0.3);
    });
    const std::int32_t width = 1024, rows = 1024 * 86 / 101;
    const HeightPlane resampled = ResampleHeights(plane, width, rows);
    struct Case {
        double Elevation;
        double MostEqual;          // of all horizontal neighbours
        double MostEqualInShadow;  // of those whose right pixel lies in shadow
    };
    for (const Case& c : {Case{50, 0.3, 1}, Case{12, 0.4, 0.7}}) {
        const RealScaleLight light = Light(300, c.Elevation, {30.0 * 101 / width, 30.0 * 86 / rows, 1}, 0.53);
        const LitTerrain lit = LightAtRealScale(resampled, light);
        const TDibBuffer lightmap = GreyPicture(width, rows, lit.Shade);
        std::int64_t equal = 0, shadowed = 0, equalInShadow = 0;
        for (std::int32_t row = 0; row < rows; ++row) {
            const std::uint8_t* bytes = lightmap.RowTable(BufferRowOfPlaneRow(lightmap, row));
            for (std::int32_t column = 1; column < width; ++column) {
                const bool same = bytes[3 * column] == bytes[3 * column - 3];
                const bool inShadow = InShadow(lit.SunVisibility[resampled.IndexOf(row, column)]);
                equal += same;
                shadowed += inShadow;
                equalInShadow += same && inShadow;
            }
        }
        EXPECT_LT(equal, c.MostEqual * rows * (width - 1)) << c.Elevation;
        EXPECT_LE(equalInShadow, c.MostEqualInShadow * shadowed) << c.Elevation;
    }
}

// --- Soft light ---

// A sun of some size gives a penumbra whose width is that of the disc seen
// over the wall's top, and a sun of no size none.
TEST(SoftLight, APenumbraSpansTheDiscSeenOverAWall) {
    const HeightPlane plane = RealHeightPlane(8, 200, [](std::int32_t row, std::int32_t) { return row == 150 ? 50.0 : 0.0; });
    struct Case {
        double Diameter;
        int PartlyLitRows;
    };
    // From 50 m up the edge of the shadow runs from 50 / tan(e + r) to 50 / tan(e - r).
    const double elevation = 30, radius = 2.5;
    const double penumbra = 50 / std::tan((elevation - radius) * kRadians) - 50 / std::tan((elevation + radius) * kRadians);
    const Case cases[] = {{0, 0}, {5, static_cast<int>(penumbra)}};
    for (const Case& c : cases) {
        const LitTerrain lit = LightAtRealScale(plane, Light(0, elevation, {}, c.Diameter));
        int partly = 0;
        float previous = 0;
        for (std::int32_t row = 149; row >= 0; --row) {
            const float v = lit.SunVisibility[plane.IndexOf(row, 3)];
            if (v > 0 && v < 1) ++partly;
            if (row < 148) {
                EXPECT_GE(v, previous) << "the light grows away from the wall";
            }
            previous = v;
        }
        EXPECT_NEAR(partly, c.PartlyLitRows, 2) << c.Diameter;
    }
}

// Level ground sees the whole sky; a trench sees what its walls leave, and
// a face turned toward a wall less again.
TEST(SoftLight, SkyLightTakesAwayTheSkyTheTerrainHides) {
    RealScaleLight light = Light(0, 90);
    light.SkyLight = true;
    light.Ambient = 1;
    const HeightPlane level = RealHeightPlane(16, 16, [](std::int32_t, std::int32_t) { return 3.0; });
    for (const float shade : LightAtRealScale(level, light).Shade) ASSERT_NEAR(shade, 1.0, 1e-6);

    // Walls running north-south far beyond the middle; the second map is
    // large enough to have its horizons taken at half the resolution.
    struct Trench {
        std::int32_t Width, Rows, HalfWidth;
        double WallHeight;
        double ToTop;  // from the middle to the top of the wall's first cell, as the lines reach it
    };
    const Trench trenches[] = {{61, 400, 10, 20, 11}, {2100, 2100, 20, 40, 22}};
    for (const Trench& t : trenches) {
        const HeightPlane trench = RealHeightPlane(t.Width, t.Rows, [&t](std::int32_t, std::int32_t column) {
            return std::abs(column - t.Width / 2) > t.HalfWidth ? t.WallHeight : 0.0;
        });
        const LitTerrain lit = LightAtRealScale(trench, light);
        const float middle = lit.Shade[trench.IndexOf(t.Rows / 2, t.Width / 2)];
        const double expected = test::ReferenceSkyLight({0, 0, 1}, {0, 0, 1}, [&t](double azimuth) {
            return std::atan(t.WallHeight * std::fabs(std::sin(azimuth)) / t.ToTop);
        });
        EXPECT_NEAR(middle, expected, 0.03) << t.Width;
        EXPECT_LT(middle, 0.6) << t.Width;
        // The wall's foot, a gentle slope up to it and a cell further in.
        const std::int32_t foot = t.Width / 2 + t.HalfWidth;
        EXPECT_LT(lit.Shade[trench.IndexOf(t.Rows / 2, foot)], middle) << t.Width;
    }
}

// --- Settings ---

TEST(RealScaleSettings, RefuseWhatIsOutOfRange) {
    struct Case {
        const char* Name;
        RealScaleLight Light;
        const char* Message;
    };
    RealScaleLight ambient = Light(0, 45);
    ambient.Ambient = 1.5;
    const Case cases[] = {
        {"elevation", Light(0, 91), "elevation"},
        {"negative elevation", Light(0, -1), "elevation"},
        {"azimuth", Light(NAN, 10), "azimuth"},
        {"diameter", Light(0, 10, {}, 20), "diameter"},
        {"cell", Light(0, 10, {0, 1, 1}), "cell width"},
        {"row", Light(0, 10, {1, -2, 1}), "cell height"},
        {"z-factor", Light(0, 10, {1, 1, 0}), "z-factor"},
        {"subnormal cell", Light(0, 10, {1e-320, 1, 1}), "cell width"},
        {"ambient", ambient, "ambient"},
    };
    const HeightPlane plane = RealHeightPlane(2, 2, [](std::int32_t, std::int32_t) { return 0.0; });
    for (const Case& c : cases) {
        try {
            LightAtRealScale(plane, c.Light);
            ADD_FAILURE() << c.Name << " was taken";
        } catch (const Error& e) {
            EXPECT_NE(std::string(e.what()).find(c.Message), std::string::npos) << e.what();
        }
    }
}

// Under open water the light sees the water's flat surface: the ground
// below the level lit exactly as that surface is, shadows and sky included.
// An island stands out of a sea floor with ridges; the low sun from the east
// casts the island's shadow over the water, and the ridges cast none.
TEST(RealScaleSettings, TheGroundUnderWaterIsLitAsTheWatersSurface) {
    constexpr double kLevel = -2;
    const auto ground = [](std::int32_t row, std::int32_t column) {
        const double island = 30 - std::hypot(row - 20.0, column - 40.0) * 4;
        return std::max(island, -20 + 10 * std::sin(column * 0.8) * std::cos(row * 0.5));
    };
    const HeightPlane seaFloor = RealHeightPlane(60, 40, ground);
    const HeightPlane surface = RealHeightPlane(60, 40, [&](std::int32_t row, std::int32_t column) {
        return std::max(ground(row, column), kLevel);
    });
    RealScaleLight light = Light(90, 10, {10, 10, 1});
    light.SkyLight = true;
    const LitTerrain dry = LightAtRealScale(surface, light);
    light.WaterLevel = kLevel;
    const LitTerrain wet = LightAtRealScale(seaFloor, light);
    EXPECT_EQ(wet.Shade, dry.Shade);
    EXPECT_EQ(wet.SunVisibility, dry.SunVisibility);
    EXPECT_EQ(wet.SunVisibility[seaFloor.IndexOf(20, 5)], 1.0f) << "the ridges cast no shadow";
    EXPECT_EQ(wet.SunVisibility[seaFloor.IndexOf(20, 30)], 0.0f) << "the island shadows the water";
}

// Holes in the data lie at the lowest height with data: open, not walls.
TEST(RealScaleSettings, CellsWithoutDataLieLow) {
    const HeightPlane plane = RealHeightPlane(20, 20, [](std::int32_t row, std::int32_t column) {
        return row == 10 && column < 15 ? NAN : 50.0 + column;
    });
    const LitTerrain lit = LightAtRealScale(plane, Light(90, 80));
    for (const float shade : lit.Shade) ASSERT_TRUE(std::isfinite(shade));
    EXPECT_EQ(lit.SunVisibility[plane.IndexOf(10, 3)], 1.0f);
}

// Cells of 1e-40 made horizon tangents beyond a single, whose NaN shares
// indexed the sky's tables out of bounds; heights beyond a single made NaN
// slopes. Such terrain is lit within 0 .. 1.
TEST(RealScaleSettings, ExtremeTerrainIsLitWithinZeroToOne) {
    const HeightPlane plane = RealHeightPlane(19, 11, [](std::int32_t row, std::int32_t column) {
        return (row + 2 * column) % 3 == 0 ? 1e40 : column % 4 == 1 ? NAN : 0.0;
    });
    RealScaleLight light = Light(290, 8, {1e-40, kFinestCell, 1}, 0.53);
    light.SkyLight = true;
    const LitTerrain lit = LightAtRealScale(plane, light);
    for (const float v : lit.Shade) ASSERT_TRUE(v >= 0 && v <= 1);
    for (const float v : lit.SunVisibility) ASSERT_TRUE(v >= 0 && v <= 1);
}

TEST(RealScaleThreads, EveryThreadCountGivesTheSameLight) {
    const HeightPlane plane = RealHeightPlane(97, 61, [](std::int32_t row, std::int32_t column) {
        return 80 * std::sin(column / 6.0) * std::cos(row / 4.0) + ((row * 31 + column * 17) % 7);
    });
    RealScaleLight light = Light(300, 12, {30, 20, 1}, 0.53);
    light.SkyLight = true;
    const LitTerrain one = LightAtRealScale(plane, light, RunOptions{1, {}});
    for (const int threads : {2, 3, 8}) {
        const LitTerrain many = LightAtRealScale(plane, light, RunOptions{threads, {}});
        EXPECT_EQ(many.Shade, one.Shade) << threads;
        EXPECT_EQ(many.SunVisibility, one.SunVisibility) << threads;
    }
}

TEST(GreyPicture, RoundsEachValueToTheNearestByteBottomRowFirst) {
    const TDibBuffer picture = GreyPicture(3, 2, {0.0f, 0.5f, 1.0f, 0.25f, 0.999f, 0.001f});
    const int expected[2][3] = {{0, 128, 255}, {64, 255, 0}};  // plane rows 0 and 1
    for (std::int32_t row = 0; row < 2; ++row) {
        for (std::int32_t column = 0; column < 3; ++column) {
            const PixelColour p = picture.ReadPixel(BufferRowOfPlaneRow(picture, row), column);
            EXPECT_EQ(p.Blue, expected[row][column]);
            EXPECT_TRUE(p.Red == p.Blue && p.Green == p.Blue);
        }
    }
}

}  // namespace
}  // namespace orvalis
