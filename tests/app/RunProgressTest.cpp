#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/RunProgress.h"

namespace orvalis::test {
namespace {

using Phase = RunProgress::Phase;

// One report of a generation: rows of a stage, or the end of the blend.
struct Report {
    bool BlendDone = false;
    SynthesisStage Stage = SynthesisStage::Blend;
    int RowsDone = 0;
    int RowsTotal = 0;
};

Report Rows(SynthesisStage stage, int done, int total) { return {false, stage, done, total}; }
const Report kBlendDone{true};

struct Step {
    Report Reported;
    Phase Expected;
    int ExpectedDone;
};

// The bar runs once from empty to full: reading, the blend's rows, the
// lighting's rows, then writing; it never goes back, whatever comes late.
TEST(RunProgressTest, OneBarForTheWholeRunWithItsPhase) {
    constexpr auto kBlend = SynthesisStage::Blend;
    constexpr auto kLight = SynthesisStage::Lightmap;
    struct Case {
        const char* Name;
        bool Lit;
        std::vector<Step> Steps;
    };
    const Case cases[] = {
        {"lit",
         true,
         {{Rows(kBlend, 0, 100), Phase::Blending, 50},
          {Rows(kBlend, 50, 100), Phase::Blending, 250},
          {Rows(kBlend, 100, 100), Phase::Blending, 450},
          {kBlendDone, Phase::Lighting, 450},
          {Rows(kLight, 100, 400), Phase::Lighting, 562},
          {Rows(kLight, 400, 400), Phase::Writing, 900}}},
        {"unlit",
         false,
         {{Rows(kBlend, 10, 20), Phase::Blending, 450},
          {kBlendDone, Phase::Writing, 850},
          {Rows(kBlend, 20, 20), Phase::Writing, 850}}},
        {"late or odd reports",
         true,
         {{Rows(kBlend, 5, 0), Phase::Reading, 0},
          {Rows(kBlend, 80, 100), Phase::Blending, 370},
          {Rows(kBlend, 40, 100), Phase::Blending, 370},
          {kBlendDone, Phase::Lighting, 450},
          {Rows(kBlend, 100, 100), Phase::Lighting, 450},
          {Rows(kLight, 900, 400), Phase::Writing, 900}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        RunProgress progress(c.Lit);
        EXPECT_EQ(progress.CurrentPhase(), Phase::Reading);
        EXPECT_EQ(progress.Done(), 0);
        for (std::size_t i = 0; i < c.Steps.size(); ++i) {
            SCOPED_TRACE("step " + std::to_string(i));
            const Step& step = c.Steps[i];
            if (step.Reported.BlendDone) {
                progress.BlendDone();
            } else {
                progress.RowsDone(step.Reported.Stage, step.Reported.RowsDone,
                                  step.Reported.RowsTotal);
            }
            EXPECT_EQ(progress.CurrentPhase(), step.Expected);
            EXPECT_EQ(progress.Done(), step.ExpectedDone);
        }
    }
}

}  // namespace
}  // namespace orvalis::test
