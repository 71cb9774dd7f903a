#include "math/KernelChoice.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "common/KernelLevels.h"

namespace orvalis {
namespace {

// The message of the KernelChoiceError a value raises; empty when none.
std::string ProblemOf(const std::optional<std::string>& value, LevelsRun runs) {
    try {
        ParseKernelChoice(value, runs);
    } catch (const KernelChoiceError& error) {
        return error.what();
    }
    return {};
}

bool RunsAll(KernelLevel) { return true; }
bool RunsAvx2(KernelLevel level) { return level != KernelLevel::Avx512; }
bool RunsScalar(KernelLevel level) { return level == KernelLevel::Scalar; }

// Each name chooses its level on a processor that runs it; unset, the
// widest it runs; a level it lacks is refused with what it offers.
TEST(KernelChoice, NamesChooseTheirLevelWhereTheProcessorRunsIt) {
    struct Case {
        LevelsRun Runs;
        const char* Offered;
        KernelLevel Widest;
    };
    const Case cases[] = {{RunsAll, "scalar, avx2, avx512", KernelLevel::Avx512},
                          {RunsAvx2, "scalar, avx2", KernelLevel::Avx2},
                          {RunsScalar, "scalar", KernelLevel::Scalar}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Offered);
        EXPECT_EQ(KernelsRunBy(c.Runs), c.Offered);
        EXPECT_EQ(ParseKernelChoice(std::nullopt, c.Runs), c.Widest);
        for (const KernelName& kernel : kKernelNames) {
            SCOPED_TRACE(kernel.Name);
            if (c.Runs(kernel.Level)) {
                EXPECT_EQ(ParseKernelChoice(std::string(kernel.Name), c.Runs), kernel.Level);
            } else {
                EXPECT_EQ(ProblemOf(std::string(kernel.Name), c.Runs),
                          std::string("ORVALIS_KERNEL=") + kernel.Name + ": this processor lacks " + kernel.Name +
                              " (this processor runs " + c.Offered + ")");
            }
        }
    }
    EXPECT_TRUE(ProcessorRuns(KernelLevel::Scalar));
}

// Anything else names the variable, the value, the choices and what this
// processor offers.
TEST(KernelChoice, UnknownValuesAreRefusedWithTheChoices) {
    for (const char* value : {"", "sse", "AVX2", "avx", "scalar "}) {
        SCOPED_TRACE(value);
        EXPECT_EQ(ProblemOf(std::string(value), RunsAvx2),
                  std::string("ORVALIS_KERNEL=") + value +
                      " is not a kernel: use scalar|avx2|avx512 (this processor runs scalar, avx2)");
    }
}

// A family takes its widest kernel up to the chosen level, none above it.
TEST(KernelChoice, AFamilyRunsItsWidestKernelUpToTheChosenLevel) {
    static int scalarMark = 0, avx2Mark = 0;
    const std::array<int*, kKernelNames.size()> withAvx2{nullptr, &avx2Mark, nullptr};
    const std::array<int*, kKernelNames.size()> withScalar{&scalarMark, nullptr, nullptr};
    test::ForEachKernelLevel([&](KernelLevel level) {
        EXPECT_EQ(KernelAtChosenLevel(withAvx2), level == KernelLevel::Scalar ? nullptr : &avx2Mark);
        EXPECT_EQ(KernelAtChosenLevel(withScalar), &scalarMark);
    });
}

}  // namespace
}  // namespace orvalis
