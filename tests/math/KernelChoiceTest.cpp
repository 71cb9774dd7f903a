#include "math/KernelChoice.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "common/KernelLevels.h"

namespace orvalis {
namespace {

// The message of the KernelChoiceError a value raises; empty when none.
std::string ProblemOf(const std::optional<std::string>& value) {
    try {
        ParseKernelChoice(value);
    } catch (const KernelChoiceError& error) {
        return error.what();
    }
    return {};
}

// Unset, the widest level this processor runs; each name its own level
// where the processor runs it, and a clear refusal where it does not.
TEST(KernelChoice, NamesChooseTheirLevelWhereTheProcessorRunsIt) {
    KernelLevel widest = KernelLevel::Scalar;
    for (const KernelName& kernel : kKernelNames) {
        if (ProcessorRuns(kernel.Level)) widest = kernel.Level;
    }
    EXPECT_EQ(ParseKernelChoice(std::nullopt), widest);
    EXPECT_TRUE(ProcessorRuns(KernelLevel::Scalar));
    for (const KernelName& kernel : kKernelNames) {
        SCOPED_TRACE(kernel.Name);
        if (ProcessorRuns(kernel.Level)) {
            EXPECT_EQ(ParseKernelChoice(std::string(kernel.Name)), kernel.Level);
        } else {
            EXPECT_EQ(ProblemOf(std::string(kernel.Name)),
                      std::string("ORVALIS_KERNEL=") + kernel.Name + ": this processor lacks " + kernel.Name +
                          " (this processor runs " + KernelsOfThisProcessor() + ")");
        }
    }
}

// Anything else names the variable, the value, the choices and what this
// processor offers.
TEST(KernelChoice, UnknownValuesAreRefusedWithTheChoices) {
    const std::string offered = " (this processor runs " + KernelsOfThisProcessor() + ")";
    for (const char* value : {"", "sse", "AVX2", "avx", "scalar "}) {
        SCOPED_TRACE(value);
        EXPECT_EQ(ProblemOf(std::string(value)),
                  std::string("ORVALIS_KERNEL=") + value + " is not a kernel: use scalar|avx2|avx512" + offered);
    }
    EXPECT_EQ(KernelsOfThisProcessor().rfind("scalar", 0), 0u);
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
