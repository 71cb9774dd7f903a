#pragma once

#include "raster/Progress.h"

namespace orvalis {

// How far one generation has come, as one bar from empty to full with the
// phase it is in, worked out from what the generation reports: the heightmap
// is read until the blend reports its first rows, lit runs light from the
// end of the blend until their lightmap rows are done, and what follows is
// writing the files.
class RunProgress {
public:
    enum class Phase { Reading, Blending, Lighting, Writing };
    static constexpr int kFull = 1000;

    explicit RunProgress(bool lit) : lit_(lit) {}

    void RowsDone(SynthesisStage stage, int rowsDone, int rowsTotal);
    void BlendDone();

    Phase CurrentPhase() const { return phase_; }
    // 0 .. kFull; it never goes back.
    int Done() const { return done_; }

    // "Reading", "Blending", "Lighting" or "Writing".
    static const char* NameOf(Phase phase);

private:
    // The share of the bar from the start of the phase to its end.
    struct Span {
        int Start;
        int End;
    };
    Span SpanOf(Phase phase) const;
    void Enter(Phase phase, double fraction = 0);

    bool lit_;
    Phase phase_ = Phase::Reading;
    int done_ = 0;
};

}  // namespace orvalis
