#include "lighting/InteriorNormalRows.h"

#include "math/Geometry.h"
#include "lighting/NormalLanes.h"
#include "lighting/PixelNormal.h"

namespace orvalis {

namespace {

constexpr std::int32_t kStep = NormalSampleStep;

// Edge line `line` of the pixel row `steps` sample steps higher, as this
// row names it: HereUp of the row above is AboveUp here.
constexpr InteriorLine FromRowsAbove(InteriorLine line, int steps) {
    constexpr InteriorLine byLevel[3][3] = {{BelowAcross, HereAcross, AboveAcross},
                                            {kInteriorLineCount, HereUp, AboveUp},
                                            {kInteriorLineCount, HereDiagonal, AboveDiagonal}};
    for (const auto& levels : byLevel) {
        for (int level = 0; level < 3; ++level) {
            const int here = level + steps;
            if (levels[level] == line) return here >= 0 && here < 3 ? levels[here] : kInteriorLineCount;
        }
    }
    return kInteriorLineCount;
}

// True when triangle a of a pixel row crosses the same edges, in the same
// order, as triangle b of the row `steps` sample steps higher.
constexpr bool SameTriangle(int a, int b, int steps) {
    for (int i = 0; i < 2; ++i) {
        const SharedEdge& ea = InteriorTriangleEdges[a][i];
        const SharedEdge& eb = InteriorTriangleEdges[b][i];
        if (ea.Line != FromRowsAbove(eb.Line, steps) || ea.Offset != eb.Offset || ea.Opposite != eb.Opposite) {
            return false;
        }
    }
    return true;
}
static_assert(SameTriangle(3, 1, 1) && SameTriangle(7, 5, -1), "t3 is t1 of the row above, t7 t5 of the row below");

ConstComponentArrays LineAt(EdgeRows& edges, InteriorLine line, std::int32_t row) {
    switch (line) {
        case BelowAcross: return edges.At(row - kStep).Across.Arrays();
        case HereAcross: return edges.At(row).Across.Arrays();
        case HereUp: return edges.At(row).Up.Arrays();
        case HereDiagonal: return edges.At(row).Diagonal.Arrays();
        case AboveAcross: return edges.At(row + kStep).Across.Arrays();
        case AboveUp: return edges.At(row + kStep).Up.Arrays();
        case AboveDiagonal: return edges.At(row + kStep).Diagonal.Arrays();
        case kInteriorLineCount: break;
    }
    return {};
}

EdgeOperand OperandAt(EdgeRows& edges, const SharedEdge& edge, std::int32_t row) {
    return {LineAt(edges, edge.Line, row), edge.Offset, edge.Opposite};
}

Vector3 EdgeOf(const EdgeOperand& edge, std::int32_t c) {
    const std::int32_t i = c + edge.Offset;
    const Vector3 v{edge.Line.X[i], edge.Line.Y[i], edge.Line.Z[i]};
    return edge.Opposite ? Vector3{-v.x, -v.y, -v.z} : v;
}

}  // namespace

InteriorNormalRows::InteriorNormalRows(std::int32_t first, std::int32_t end) : first_(first), end_(end) {}

const EdgeLine& InteriorNormalRows::Make(EdgeRows& edges, int t, std::int32_t row, TriangleRow& into) {
    const EdgeOperand e1 = OperandAt(edges, InteriorTriangleEdges[t][0], row);
    const EdgeOperand e2 = OperandAt(edges, InteriorTriangleEdges[t][1], row);
    into.Row = row;
    EdgeLine& normals = into.Normals;
    normals.Resize(end_);
    CoverInLanes(
        first_, end_, uncertain_,
        [&](const NormalLaneKernel& kernel, std::int32_t* left) {
            return kernel.TriangleNormals(e1, e2, first_, end_, normals.WritableArrays(), left);
        },
        [&](std::int32_t c) { normals.Set(c, TriangleNormal(EdgeOf(e1, c), EdgeOf(e2, c))); });
    return normals;
}

const EdgeLine& InteriorNormalRows::Shared(EdgeRows& edges, int t, std::int32_t row) {
    std::array<TriangleRow, 3>& kept = t == 1 ? t1Rows_ : t5Rows_;
    TriangleRow& slot = kept[static_cast<std::size_t>(row) % kept.size()];
    return slot.Row == row ? slot.Normals : Make(edges, t, row, slot);
}

void InteriorNormalRows::Row(EdgeRows& edges, std::int32_t row, NormalEntry* out) {
    // In the order the sums add them, t0 .. t7.
    const ConstComponentArrays normals[8] = {
        Make(edges, 0, row, own_[0]).Arrays(),  Shared(edges, 1, row).Arrays(),
        Make(edges, 2, row, own_[1]).Arrays(),  Shared(edges, 1, row + kStep).Arrays(),
        Make(edges, 4, row, own_[2]).Arrays(),  Shared(edges, 5, row).Arrays(),
        Make(edges, 6, row, own_[3]).Arrays(),  Shared(edges, 5, row - kStep).Arrays(),
    };
    CoverInLanes(
        first_, end_, uncertain_,
        [&](const NormalLaneKernel& kernel, std::int32_t* left) {
            return kernel.Entries(normals, first_, end_, out, left);
        },
        [&](std::int32_t c) {
            Vector3 sum;
            for (const ConstComponentArrays& normal : normals) {
                AddVectors(sum, Vector3{normal.X[c], normal.Y[c], normal.Z[c]}, sum);
            }
            out[c] = EntryOfSum(sum);
        });
}

}  // namespace orvalis
