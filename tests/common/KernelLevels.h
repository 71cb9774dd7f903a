#pragma once

#include <cstdio>
#include <initializer_list>

#include <gtest/gtest.h>

#include "math/KernelChoice.h"

namespace orvalis::test {

// Runs the vector code at one kernel level while it lives, then at the one
// before.
class ScopedKernel {
public:
    explicit ScopedKernel(KernelLevel level) : previous_(ChosenKernel()) { UseKernel(level); }
    ~ScopedKernel() { UseKernel(previous_); }
    ScopedKernel(const ScopedKernel&) = delete;
    ScopedKernel& operator=(const ScopedKernel&) = delete;

private:
    KernelLevel previous_;
};

inline const char* NameOf(KernelLevel level) { return kKernelNames[static_cast<int>(level)].Name; }

// Calls run() once at each of `levels` this processor runs, that level in
// force and named in any failure; a level it lacks is skipped with a note.
template <typename Run>
void ForEachKernelLevel(std::initializer_list<KernelLevel> levels, Run run) {
    for (const KernelLevel level : levels) {
        if (!ProcessorRuns(level)) {
            std::printf("[   NOTE   ] %s: kernel level %s skipped, this processor lacks it\n",
                        ::testing::UnitTest::GetInstance()->current_test_info()->name(), NameOf(level));
            continue;
        }
        SCOPED_TRACE(std::string("kernel level ") + NameOf(level));
        const ScopedKernel scoped(level);
        run(level);
    }
}

// Every level, narrowest first.
template <typename Run>
void ForEachKernelLevel(Run run) {
    ForEachKernelLevel({KernelLevel::Scalar, KernelLevel::Avx2, KernelLevel::Avx512}, run);
}

}  // namespace orvalis::test
