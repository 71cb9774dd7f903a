#include "math/KernelChoice.h"

#include <atomic>
#include <cstdlib>

namespace orvalis {

namespace {

constexpr const char* kVariable = "ORVALIS_KERNEL";

std::optional<std::string> VariableValue() {
    const char* value = std::getenv(kVariable);
    if (value == nullptr) return std::nullopt;
    return std::string(value);
}

// -1 until the variable has been read.
std::atomic<int> chosenLevel{-1};

}  // namespace

bool ProcessorRuns(KernelLevel level) {
    switch (level) {
        case KernelLevel::Scalar: return true;
#if defined(__x86_64__) && defined(__GNUC__)
        case KernelLevel::Avx2: return __builtin_cpu_supports("avx2");
        case KernelLevel::Avx512: return __builtin_cpu_supports("avx512f");
#else
        case KernelLevel::Avx2:
        case KernelLevel::Avx512: return false;
#endif
    }
    return false;
}

std::string KernelsRunBy(LevelsRun runs) {
    std::string list;
    for (const KernelName& kernel : kKernelNames) {
        if (!runs(kernel.Level)) continue;
        if (!list.empty()) list += ", ";
        list += kernel.Name;
    }
    return list;
}

KernelLevel ParseKernelChoice(const std::optional<std::string>& value, LevelsRun runs) {
    if (!value) {
        KernelLevel widest = KernelLevel::Scalar;
        for (const KernelName& kernel : kKernelNames) {
            if (runs(kernel.Level)) widest = kernel.Level;
        }
        return widest;
    }
    const std::string offered = "this processor runs " + KernelsRunBy(runs);
    for (const KernelName& kernel : kKernelNames) {
        if (*value != kernel.Name) continue;
        if (!runs(kernel.Level)) {
            throw KernelChoiceError(std::string(kVariable) + "=" + *value + ": this processor lacks " + kernel.Name +
                                    " (" + offered + ")");
        }
        return kernel.Level;
    }
    std::string known;
    for (const KernelName& kernel : kKernelNames) known += std::string(known.empty() ? "" : "|") + kernel.Name;
    throw KernelChoiceError(std::string(kVariable) + "=" + *value + " is not a kernel: use " + known + " (" +
                            offered + ")");
}

KernelLevel ChosenKernel() {
    int level = chosenLevel.load(std::memory_order_relaxed);
    if (level < 0) {
        // Threads that race here all read the same variable and agree.
        level = static_cast<int>(ParseKernelChoice(VariableValue()));
        chosenLevel.store(level, std::memory_order_relaxed);
    }
    return static_cast<KernelLevel>(level);
}

void UseKernel(KernelLevel level) {
    if (!ProcessorRuns(level)) {
        throw KernelChoiceError(std::string("this processor lacks ") + kKernelNames[static_cast<int>(level)].Name +
                                " (it runs " + KernelsRunBy() + ")");
    }
    chosenLevel.store(static_cast<int>(level), std::memory_order_relaxed);
}

}  // namespace orvalis
