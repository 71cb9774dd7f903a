#pragma once

#include <cstdint>

#include "math/CertifiedGeometry.h"
#include "synth/NormalLaneKernels.h"

// The arithmetic of the normal map's vector kernels, written once for every
// lane width. Only the files compiled for one instruction set each include
// it, so that all of it stays private to them. L supplies the lanes:
// kCount, the types Doubles, Singles and Mask, and Load (singles widened),
// Splat, Narrow, Widen, Sqrt, Certain, Both, All, Bits, Store and
// StoreTruncated; the operators of Doubles and Singles are the IEEE ones.
namespace orvalis {
namespace {

template <typename L>
struct Lanes3 {
    typename L::Doubles x, y, z;
};

// Rounds the lanes to single and widens them back; `certain` keeps the
// lanes where that rounding is the extended operation's (SingleIsCertain).
template <typename L>
[[gnu::always_inline]] inline Lanes3<L> ToSingles(const Lanes3<L>& v, typename L::Mask& certain) {
    certain = L::Both(certain, L::Both(L::Certain(v.x), L::Both(L::Certain(v.y), L::Certain(v.z))));
    return {L::Widen(L::Narrow(v.x)), L::Widen(L::Narrow(v.y)), L::Widen(L::Narrow(v.z))};
}

// CertifiedCrossProduct, lane by lane.
template <typename L>
[[gnu::always_inline]] inline Lanes3<L> Cross(const Lanes3<L>& a, const Lanes3<L>& b, typename L::Mask& certain) {
    return ToSingles<L>({a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}, certain);
}

// CertifiedNormalizedCopy, lane by lane: k = 1 / sqrt((x x + y y) + z z).
template <typename L>
[[gnu::always_inline]] inline Lanes3<L> Normalized(const Lanes3<L>& v, typename L::Mask& certain) {
    const typename L::Doubles k = L::Splat(1.0) / L::Sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
    return ToSingles<L>({v.x * k, v.y * k, v.z * k}, certain);
}

// The edge of the pixels from column on, one per lane.
template <typename L>
[[gnu::always_inline]] inline Lanes3<L> EdgeLanes(const InteriorEdgeRows& rows, const SharedEdge& edge, std::int32_t column) {
    const ConstComponentArrays& line = rows.Lines[edge.Line];
    const std::int32_t c = column + edge.Offset;
    const Lanes3<L> v{L::Load(line.X + c), L::Load(line.Y + c), L::Load(line.Z + c)};
    return edge.Opposite ? Lanes3<L>{-v.x, -v.y, -v.z} : v;
}

// NormalOfEdges for the pixels from column on; returns a bit per pixel set.
template <typename L>
unsigned PixelLanes(const InteriorEdgeRows& rows, std::int32_t column, NormalEntry* out) {
    typename L::Mask certain = L::All();
    // The sum is kept in singles, added as AddVectors adds.
    typename L::Singles sumX{}, sumY{}, sumZ{};
    for (const auto& edges : InteriorTriangleEdges) {
        const Lanes3<L> cross = Cross<L>(EdgeLanes<L>(rows, edges[0], column), EdgeLanes<L>(rows, edges[1], column), certain);
        const Lanes3<L> normal = Normalized<L>(cross, certain);
        sumX = sumX + L::Narrow(normal.x);
        sumY = sumY + L::Narrow(normal.y);
        sumZ = sumZ + L::Narrow(normal.z);
    }
    const Lanes3<L> unit = Normalized<L>({L::Widen(sumX), L::Widen(sumY), L::Widen(sumZ)}, certain);
    // A product of two singles is exact in double: no check (DoubleScaleVector).
    const typename L::Doubles scale = L::Splat(127.0);
    std::int32_t x[L::kCount], y[L::kCount], z[L::kCount];
    L::StoreTruncated(x, L::Narrow(unit.x * scale));
    L::StoreTruncated(y, L::Narrow(unit.y * scale));
    L::StoreTruncated(z, L::Narrow(unit.z * scale));
    const unsigned done = L::Bits(certain);
    for (int i = 0; i < L::kCount; ++i) {
        // Certain lanes hold unit components times 127: always within the int8 range.
        out[i] = NormalEntry{static_cast<std::int8_t>(x[i]), static_cast<std::int8_t>(y[i]),
                             static_cast<std::int8_t>(z[i])};
    }
    return done;
}

template <typename L>
std::int32_t InteriorNormalLanes(const InteriorEdgeRows& rows, std::int32_t column, std::int32_t end,
                                 NormalEntry* out, std::int32_t* uncertain) {
    std::int32_t count = 0;
    for (; column + L::kCount <= end; column += L::kCount) {
        const unsigned done = PixelLanes<L>(rows, column, out + column);
        for (int i = 0; i < L::kCount; ++i) {
            if (!(done >> i & 1)) uncertain[count++] = column + i;
        }
    }
    return count;
}

template <typename L>
std::int32_t UnitVectorLanes(ConstComponentArrays vectors, ComponentArrays<float> units, std::int32_t count,
                             std::int32_t* uncertain) {
    std::int32_t left = 0;
    for (std::int32_t i = 0; i + L::kCount <= count; i += L::kCount) {
        typename L::Mask certain = L::All();
        const Lanes3<L> unit =
            Normalized<L>({L::Load(vectors.X + i), L::Load(vectors.Y + i), L::Load(vectors.Z + i)}, certain);
        L::Store(units.X + i, L::Narrow(unit.x));
        L::Store(units.Y + i, L::Narrow(unit.y));
        L::Store(units.Z + i, L::Narrow(unit.z));
        const unsigned done = L::Bits(certain);
        for (int k = 0; k < L::kCount; ++k) {
            if (!(done >> k & 1)) uncertain[left++] = i + k;
        }
    }
    return left;
}

}  // namespace
}  // namespace orvalis
