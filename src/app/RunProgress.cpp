#include "app/RunProgress.h"

#include <algorithm>

namespace orvalis {

// Shares of a run by what usually takes the time: the read and the writes
// are short next to the blend and the lighting.
RunProgress::Span RunProgress::SpanOf(Phase phase) const {
    switch (phase) {
    case Phase::Reading: return {0, 50};
    case Phase::Blending: return {50, lit_ ? 450 : 850};
    case Phase::Lighting: return {450, 900};
    case Phase::Writing: return {lit_ ? 900 : 850, kFull};
    }
    return {0, 0};
}

void RunProgress::Enter(Phase phase, double fraction) {
    if (phase < phase_) return;
    phase_ = phase;
    const Span span = SpanOf(phase);
    const int reached =
        span.Start + static_cast<int>((span.End - span.Start) * std::clamp(fraction, 0.0, 1.0));
    done_ = std::max(done_, reached);
}

void RunProgress::RowsDone(SynthesisStage stage, int rowsDone, int rowsTotal) {
    if (rowsTotal <= 0) return;
    const double fraction = static_cast<double>(rowsDone) / rowsTotal;
    if (stage == SynthesisStage::Blend) {
        Enter(Phase::Blending, fraction);
    } else if (lit_ && fraction < 1) {
        Enter(Phase::Lighting, fraction);
    } else if (lit_) {
        Enter(Phase::Writing);
    }
}

void RunProgress::BlendDone() { Enter(lit_ ? Phase::Lighting : Phase::Writing); }

const char* RunProgress::NameOf(Phase phase) {
    switch (phase) {
    case Phase::Reading: return "Reading";
    case Phase::Blending: return "Blending";
    case Phase::Lighting: return "Lighting";
    case Phase::Writing: return "Writing";
    }
    return "";
}

}  // namespace orvalis
