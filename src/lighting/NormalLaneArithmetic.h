#pragma once

#include <cstdint>

#include "math/TieMargin.h"
#include "lighting/NormalLaneKernels.h"

// The arithmetic of the normal map's vector kernels, written once for every
// lane width. Only the files compiled for one instruction set each include
// it, so that all of it stays private to them. L supplies the lanes:
// kCount, the types Doubles, Singles and Mask, and Load (singles widened),
// LoadSingles, Splat, Narrow, Widen, Sqrt, Max and Min (the instructions:
// the second operand where both are zero), Finite, KeepCertain, All, Bits,
// Store and StoreEntries; the operators of Doubles and Singles are the IEEE
// ones.
namespace orvalis {
namespace {

template <typename L>
struct Lanes3 {
    typename L::Doubles x, y, z;
};

template <typename L>
struct Singles3 {
    typename L::Singles x, y, z;
};

// Rounds the lanes to single; `certain` keeps the lanes where that rounding
// is the extended operation's (SingleIsCertain).
template <typename L>
[[gnu::always_inline]] inline Singles3<L> ToSingles(const Lanes3<L>& v, typename L::Mask& certain) {
    certain = L::KeepCertain(L::KeepCertain(L::KeepCertain(certain, v.x), v.y), v.z);
    return {L::Narrow(v.x), L::Narrow(v.y), L::Narrow(v.z)};
}

template <typename L>
[[gnu::always_inline]] inline Lanes3<L> Widened(const Singles3<L>& v) {
    return {L::Widen(v.x), L::Widen(v.y), L::Widen(v.z)};
}

// CertifiedCrossProduct, lane by lane.
template <typename L>
[[gnu::always_inline]] inline Singles3<L> Cross(const Lanes3<L>& a, const Lanes3<L>& b, typename L::Mask& certain) {
    return ToSingles<L>({a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}, certain);
}

// CertifiedNormalizedCopy, lane by lane: k = 1 / sqrt((x x + y y) + z z).
template <typename L>
[[gnu::always_inline]] inline Singles3<L> Normalized(const Lanes3<L>& v, typename L::Mask& certain) {
    const typename L::Doubles k = L::Splat(1.0) / L::Sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
    return ToSingles<L>({v.x * k, v.y * k, v.z * k}, certain);
}

// The edge operand of the pixels from column on, one per lane.
template <typename L>
[[gnu::always_inline]] inline Lanes3<L> OperandLanes(const EdgeOperand& edge, std::int32_t column) {
    const std::int32_t c = column + edge.Offset;
    const Lanes3<L> v{L::Load(edge.Line.X + c), L::Load(edge.Line.Y + c), L::Load(edge.Line.Z + c)};
    return edge.Opposite ? Lanes3<L>{-v.x, -v.y, -v.z} : v;
}

template <typename L>
void StoreSingles(const Singles3<L>& v, ComponentArrays<float> out, std::int32_t c) {
    L::Store(out.X + c, v.x);
    L::Store(out.Y + c, v.y);
    L::Store(out.Z + c, v.z);
}

// Calls group(c) for the groups of lanes that cover first .. end, and lists
// the columns whose lane bit group returns clear. The last group ends at
// end, overlapping the one before, whose values it computes again: its
// columns are listed once.
template <typename L, typename Group>
std::int32_t CoverInGroups(std::int32_t first, std::int32_t end, std::int32_t* uncertain, Group group) {
    std::int32_t count = 0;
    for (std::int32_t column = first; column < end; column += L::kCount) {
        const std::int32_t c = column + L::kCount <= end ? column : end - L::kCount;
        const unsigned done = group(c);
        if (done == L::Bits(L::All())) continue;
        for (int k = column - c; k < L::kCount; ++k) {
            if (!(done >> k & 1)) uncertain[count++] = c + k;
        }
    }
    return count;
}

template <typename L>
std::int32_t TriangleNormalLanes(const EdgeOperand& e1, const EdgeOperand& e2, std::int32_t first,
                                 std::int32_t end, ComponentArrays<float> normals, std::int32_t* uncertain) {
    return CoverInGroups<L>(first, end, uncertain, [&](std::int32_t c) {
        typename L::Mask certain = L::All();
        const Singles3<L> cross = Cross<L>(OperandLanes<L>(e1, c), OperandLanes<L>(e2, c), certain);
        StoreSingles<L>(Normalized<L>(Widened<L>(cross), certain), normals, c);
        return L::Bits(certain);
    });
}

template <typename L>
std::int32_t EntryLanes(const ConstComponentArrays (&normals)[8], std::int32_t first, std::int32_t end,
                        NormalEntry* out, std::int32_t* uncertain) {
    return CoverInGroups<L>(first, end, uncertain, [&](std::int32_t c) {
        // Added in singles, as AddVectors adds.
        typename L::Singles x{}, y{}, z{};
        for (const ConstComponentArrays& normal : normals) {
            x = x + L::LoadSingles(normal.X + c);
            y = y + L::LoadSingles(normal.Y + c);
            z = z + L::LoadSingles(normal.Z + c);
        }
        typename L::Mask certain = L::All();
        const Lanes3<L> unit = Widened<L>(Normalized<L>({L::Widen(x), L::Widen(y), L::Widen(z)}, certain));
        // A product of two singles is exact in double: no check (DoubleScaleVector).
        const typename L::Doubles scale = L::Splat(127.0);
        L::StoreEntries(out + c, L::Narrow(unit.x * scale), L::Narrow(unit.y * scale), L::Narrow(unit.z * scale));
        return L::Bits(certain);
    });
}

template <typename L>
std::int32_t UnitVectorLanes(ConstComponentArrays vectors, ComponentArrays<float> units, std::int32_t first,
                             std::int32_t end, std::int32_t* uncertain) {
    return CoverInGroups<L>(first, end, uncertain, [&](std::int32_t c) {
        typename L::Mask certain = L::All();
        StoreSingles<L>(Normalized<L>({L::Load(vectors.X + c), L::Load(vectors.Y + c), L::Load(vectors.Z + c)}, certain),
                        units, c);
        return L::Bits(certain);
    });
}

template <typename L>
std::int32_t SampleHeightLanes(const float* samples, const SampleHeightScale& s, std::int32_t first,
                               std::int32_t end, float* out, std::int32_t* uncertain) {
    using Doubles = typename L::Doubles;
    return CoverInGroups<L>(first, end, uncertain, [&](std::int32_t c) {
        const Doubles v = L::Load(samples + c);
        typename L::Mask certain = L::Finite(v);
        // std::clamp's comparisons: a height of -0 stays -0.
        const Doubles height = L::Min(L::Splat(255.0), L::Max(L::Splat(0.0), (v - L::Splat(s.Low)) * L::Splat(255.0) /
                                                                                   L::Splat(s.Span)));
        const Doubles scaled = height * L::Splat(s.Factor) / L::Splat(s.Divisor);
        certain = L::KeepCertain(certain, scaled);
        L::Store(out + c, L::Narrow(scaled));
        return L::Bits(certain);
    });
}

template <typename L>
constexpr NormalLaneKernel KernelOf() {
    return {L::kCount, TriangleNormalLanes<L>, EntryLanes<L>, UnitVectorLanes<L>, SampleHeightLanes<L>};
}

}  // namespace
}  // namespace orvalis
