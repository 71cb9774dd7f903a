#pragma once

#include <cstdint>

// Kept free of inline library code: the vector kernels include it from files
// compiled for one instruction set each.
namespace orvalis {

// Pixel (row, column)'s samples lie NormalSampleStep times (-1, 0 or 1) away
// in each direction.
inline constexpr int NormalSampleStep = 2;

// A line of vectors, one array per component, entry [c] for column c.
template <typename Component>
struct ComponentArrays {
    Component* X = nullptr;
    Component* Y = nullptr;
    Component* Z = nullptr;
};
using ConstComponentArrays = ComponentArrays<const float>;

// The unit edge lines an interior pixel of row r reads: those starting in
// the sample rows r - 2 (Below), r (Here) and r + 2 (Above).
enum InteriorLine : int {
    BelowAcross, HereAcross, HereUp, HereDiagonal, AboveAcross, AboveUp, AboveDiagonal, kInteriorLineCount
};

// Edge of a triangle of the interior pixel in column c: entry c + Offset of
// a line, reversed when Opposite. A reversed edge is the opposite vector
// exactly, as single differences and the normalisation keep their
// magnitudes whatever the sign.
struct SharedEdge {
    InteriorLine Line;
    std::int32_t Offset;
    bool Opposite;
};

// The two unit edges (E1, E2) of each of the eight triangles of an interior
// pixel, in the order the normal sums them.
inline constexpr SharedEdge InteriorTriangleEdges[8][2] = {
    {{HereDiagonal, 0, false}, {BelowAcross, 0, false}},                                 // t0: samples 0, 1, 8
    {{HereAcross, 0, true}, {HereUp, NormalSampleStep, false}},                          // t1: 0, 2, 1
    {{AboveUp, 0, true}, {AboveDiagonal, 0, false}},                                     // t2: 0, 4, 2
    {{AboveAcross, 0, true}, {AboveUp, NormalSampleStep, false}},                        // t3: 4, 3, 2
    {{AboveDiagonal, -NormalSampleStep, true}, {AboveAcross, -NormalSampleStep, true}},  // t4: 0, 5, 4
    {{HereAcross, -NormalSampleStep, false}, {AboveUp, -NormalSampleStep, true}},        // t5: 0, 6, 5
    {{HereUp, 0, false}, {HereDiagonal, -NormalSampleStep, true}},                       // t6: 0, 8, 6
    {{BelowAcross, -NormalSampleStep, false}, {HereUp, -NormalSampleStep, true}},        // t7: 8, 7, 6
};

}  // namespace orvalis
