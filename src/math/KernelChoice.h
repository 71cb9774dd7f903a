#pragma once

#include <array>
#include <optional>
#include <stdexcept>
#include <string>

namespace orvalis {

// The instruction sets the vector kernels are written for, narrowest first.
// Every family of kernels has a scalar path; a family without a kernel for a
// level runs its widest one below it.
enum class KernelLevel { Scalar, Avx2, Avx512 };

struct KernelName {
    KernelLevel Level;
    const char* Name;  // as ORVALIS_KERNEL takes it
};

inline constexpr std::array<KernelName, 3> kKernelNames{
    {{KernelLevel::Scalar, "scalar"}, {KernelLevel::Avx2, "avx2"}, {KernelLevel::Avx512, "avx512"}}};

// A bad value of ORVALIS_KERNEL.
class KernelChoiceError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Whether this processor runs the kernels of a level (scalar always).
bool ProcessorRuns(KernelLevel level);
using LevelsRun = bool (*)(KernelLevel level);
// "scalar, avx2, avx512": the levels a processor runs, this one by default.
std::string KernelsRunBy(LevelsRun runs = ProcessorRuns);

// The level `value` (ORVALIS_KERNEL's text, or none) asks for of a
// processor that runs `runs`: the widest it runs when none. Raises
// KernelChoiceError naming the variable, the value and what the processor
// offers when the value is unknown or the processor lacks it.
KernelLevel ParseKernelChoice(const std::optional<std::string>& value, LevelsRun runs = ProcessorRuns);

// The level the vector code runs at: ORVALIS_KERNEL's, read at the first
// call, unless UseKernel chose another since. Raises KernelChoiceError as
// above; programs call it first thing, so a bad value ends a run before
// it starts.
KernelLevel ChosenKernel();
// Runs the vector code at `level` from now on (KernelChoiceError when this
// processor lacks it). For comparing the paths with each other.
void UseKernel(KernelLevel level);

// The kernel of a family at the chosen level: byLevel holds one entry per
// KernelLevel, null where the family has none (or the compiler could not
// build it); the widest non-null entry up to the chosen level, or null.
template <typename Kernel>
Kernel* KernelAtChosenLevel(const std::array<Kernel*, kKernelNames.size()>& byLevel) {
    for (int level = static_cast<int>(ChosenKernel()); level >= 0; --level) {
        if (byLevel[level] != nullptr) return byLevel[level];
    }
    return nullptr;
}

}  // namespace orvalis
