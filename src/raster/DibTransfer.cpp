#include "raster/DibBuffer.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <vector>

#include "raster/StretchMap.h"

// Copying and stretching one buffer onto another. A transfer maps a source
// rectangle onto a target rectangle one axis at a time: every visible target
// column and row gets the run of source columns or rows it takes its colour
// from (one when enlarging, several merged by AND when shrinking). The target
// is then filled row by row: each source row needed is converted to colours
// once, resampled along the row, and ANDed with the other rows of its run.

namespace orvalis {

namespace {

// The source pixels of one target pixel along one axis, in device coordinates
// of the source picture; they may lie outside it, where they count as black.
struct AxisSpan {
    std::int64_t First = 0;
    std::int32_t Count = 1;

    friend bool operator==(const AxisSpan&, const AxisSpan&) = default;
};

// The visible target pixels of one axis and their source spans.
struct AxisMap {
    std::int32_t TargetFirst = 0;  // device coordinate of the first visible target pixel
    std::vector<AxisSpan> Spans;   // one per visible target pixel, in device order
    bool OneToOne = false;         // pixel i takes source pixel Spans[0].First + i

    bool IsEmpty() const { return Spans.empty(); }
};

// Maps the target run at targetOrigin of targetExtent pixels onto the source
// run at sourceOrigin of sourceExtent pixels and clips it to a target picture
// of pictureLength pixels. A negative extent runs back from its origin
// (origin + extent .. origin - 1); extents of different sign mirror the axis.
AxisMap MapAxis(std::int32_t targetOrigin, std::int32_t targetExtent, std::int32_t sourceOrigin,
                std::int32_t sourceExtent, std::int32_t pictureLength) {
    constexpr std::int32_t kNoLength = std::numeric_limits<std::int32_t>::min();  // |x| overflows
    AxisMap map;
    if (targetExtent == 0 || sourceExtent == 0 || targetExtent == kNoLength ||
        sourceExtent == kNoLength) {
        return map;
    }
    // Two negative extents do not ask for a mirror image; such a rectangle is empty.
    if (targetExtent < 0 && sourceExtent < 0) return map;
    const bool mirrored = (targetExtent < 0) != (sourceExtent < 0);
    const std::int32_t targetLength = std::abs(targetExtent);
    const std::int32_t sourceLength = std::abs(sourceExtent);
    const std::int64_t targetLow = std::int64_t{targetOrigin} + std::min(targetExtent, 0);
    const std::int64_t sourceLow = std::int64_t{sourceOrigin} + std::min(sourceExtent, 0);

    const std::int64_t first = std::max<std::int64_t>(targetLow, 0);
    const std::int64_t end = std::min<std::int64_t>(targetLow + targetLength, pictureLength);
    if (first >= end) return map;

    // MapStretchAxis numbers target pixels along the source; a mirrored axis
    // reads its entries from the far end.
    const auto count = static_cast<std::int32_t>(end - first);
    const auto offset = static_cast<std::int32_t>(first - targetLow);
    const std::int32_t windowFirst = mirrored ? targetLength - offset - count : offset;
    const std::vector<SourceSpan> spans =
        MapStretchAxis(targetLength, sourceLength, windowFirst, count);

    map.TargetFirst = static_cast<std::int32_t>(first);
    map.Spans.resize(spans.size());
    for (std::int32_t i = 0; i < count; ++i) {
        const SourceSpan& span = spans[mirrored ? count - 1 - i : i];
        map.Spans[i] = AxisSpan{sourceLow + span.First, span.Count};
    }
    map.OneToOne = !mirrored && targetLength == sourceLength;
    return map;
}

class StretchTransfer {
public:
    StretchTransfer(const TDibBuffer& source, TDibBuffer& target, const AxisMap& columns,
                    const AxisMap& rows)
        : source_(source), target_(target), columns_(columns), rows_(rows) {
        // Only the source columns inside the picture are ever read.
        std::int64_t low = std::numeric_limits<std::int64_t>::max();
        std::int64_t high = std::numeric_limits<std::int64_t>::min();
        for (const AxisSpan& span : columns_.Spans) {
            low = std::min(low, span.First);
            high = std::max(high, span.First + span.Count);
        }
        windowFirst_ = static_cast<std::int32_t>(std::clamp<std::int64_t>(low, 0, source.Width()));
        windowEnd_ = static_cast<std::int32_t>(std::clamp<std::int64_t>(high, windowFirst_,
                                                                        source.Width()));
        sourceRow_.resize(static_cast<std::size_t>(windowEnd_ - windowFirst_));
        line_.resize(columns_.Spans.size());
        scratch_.resize(columns_.Spans.size());
    }

    void Run() {
        AxisSpan previous{0, 0};  // matches no span: every span has a Count of 1 or more
        for (std::size_t j = 0; j < rows_.Spans.size(); ++j) {
            // Consecutive target rows of an enlargement share their source row.
            if (rows_.Spans[j] != previous) {
                MergeSourceRows(rows_.Spans[j]);
                previous = rows_.Spans[j];
            }
            WriteTargetRow(rows_.TargetFirst + static_cast<std::int64_t>(j));
        }
    }

private:
    // line_ = the AND of the resampled source rows of one span.
    void MergeSourceRows(const AxisSpan& span) {
        if (span.First < 0 || span.First + span.Count > source_.RowCount()) {
            std::fill(line_.begin(), line_.end(), PixelColour{});
            return;
        }
        ResampleSourceRow(span.First, line_);
        for (std::int32_t k = 1; k < span.Count; ++k) {
            ResampleSourceRow(span.First + k, scratch_);
            for (std::size_t i = 0; i < line_.size(); ++i) line_[i] = line_[i] & scratch_[i];
        }
    }

    void ResampleSourceRow(std::int64_t deviceRow, std::vector<PixelColour>& out) {
        ReadSourceRow(source_.BufferRow(static_cast<std::int32_t>(deviceRow)));
        const std::vector<AxisSpan>& spans = columns_.Spans;
        if (columns_.OneToOne && spans.front().First >= windowFirst_ &&
            spans.back().First < windowEnd_) {
            std::memcpy(out.data(), sourceRow_.data() + (spans.front().First - windowFirst_),
                        out.size() * sizeof(PixelColour));
            return;
        }
        for (std::size_t i = 0; i < spans.size(); ++i) {
            const AxisSpan& span = spans[i];
            if (span.First < windowFirst_ || span.First + span.Count > windowEnd_) {
                out[i] = PixelColour{};
                continue;
            }
            const PixelColour* pixel = sourceRow_.data() + (span.First - windowFirst_);
            PixelColour merged = pixel[0];
            for (std::int32_t k = 1; k < span.Count; ++k) merged = merged & pixel[k];
            out[i] = merged;
        }
    }

    void ReadSourceRow(std::int32_t row) {
        if (sourceRow_.empty()) return;
        if (source_.BitsPerPixel() == 24) {
            std::memcpy(sourceRow_.data(), source_.RowTable(row) + 3 * static_cast<std::size_t>(windowFirst_),
                        sourceRow_.size() * sizeof(PixelColour));
            return;
        }
        for (std::int32_t c = windowFirst_; c < windowEnd_; ++c) {
            sourceRow_[c - windowFirst_] = source_.ReadPixel(row, c);
        }
    }

    void WriteTargetRow(std::int64_t deviceRow) {
        const std::int32_t row = target_.BufferRow(static_cast<std::int32_t>(deviceRow));
        if (target_.BitsPerPixel() == 24) {
            std::memcpy(target_.RowTable(row) + 3 * static_cast<std::size_t>(columns_.TargetFirst), line_.data(),
                        line_.size() * sizeof(PixelColour));
            return;
        }
        for (std::size_t i = 0; i < line_.size(); ++i) {
            target_.WritePixel(row, columns_.TargetFirst + static_cast<std::int32_t>(i), line_[i]);
        }
    }

    const TDibBuffer& source_;
    TDibBuffer& target_;
    const AxisMap& columns_;
    const AxisMap& rows_;
    std::int32_t windowFirst_ = 0;  // source columns windowFirst_ .. windowEnd_ - 1 are read
    std::int32_t windowEnd_ = 0;
    std::vector<PixelColour> sourceRow_;  // the window of the current source row
    std::vector<PixelColour> line_;       // the visible part of the target row
    std::vector<PixelColour> scratch_;
};

}  // namespace

int TDibBuffer::BlitTo(TDeviceContext target, std::int32_t x, std::int32_t y) const {
    return StretchPartTo(target, x, y, Width(), RowCount(), 0, 0, Width(), RowCount());
}

int TDibBuffer::StretchTo(TDeviceContext target, std::int32_t x, std::int32_t y,
                          std::int32_t width, std::int32_t height) const {
    return StretchPartTo(target, x, y, width, height, 0, 0, Width(), RowCount());
}

int TDibBuffer::StretchPartTo(TDeviceContext target, std::int32_t x, std::int32_t y,
                              std::int32_t width, std::int32_t height, std::int32_t sourceX,
                              std::int32_t sourceY, std::int32_t sourceWidth,
                              std::int32_t sourceHeight) const {
    if (!target || target.Target->IsEmpty() || IsEmpty()) return 0;
    // Source and target may overlap; draw from a copy taken beforehand.
    if (target.Target == this) {
        TDibBuffer snapshot;
        snapshot.CopyFromBitmap(*this);
        return snapshot.StretchPartTo(target, x, y, width, height, sourceX, sourceY, sourceWidth,
                                      sourceHeight);
    }
    TDibBuffer& picture = *target.Target;
    const AxisMap columns = MapAxis(x, width, sourceX, sourceWidth, picture.Width());
    const AxisMap rows = MapAxis(y, height, sourceY, sourceHeight, picture.RowCount());
    if (columns.IsEmpty() || rows.IsEmpty()) return 0;
    StretchTransfer(*this, picture, columns, rows).Run();
    return 1;
}

// A copy of an empty picture is empty too.
void TDibBuffer::CopyFromBitmap(const TDibBuffer& bitmap) {
    if (&bitmap == this) return;
    if (bitmap.IsEmpty()) {
        *this = TDibBuffer();
        return;
    }
    AllocateFromInfo(bitmap.Info());
    // Both now have the same format; the minimum only guards against an Info
    // that was edited behind the other buffer's back.
    std::memcpy(PixelData(), bitmap.PixelData(), std::min(PixelBytes(), bitmap.PixelBytes()));
}

}  // namespace orvalis
