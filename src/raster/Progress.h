#pragma once

#include <functional>

#include "files/Cancellation.h"

namespace orvalis {

enum class SynthesisStage { Blend, Lightmap };

// Reports finished rows of a stage. It is always called on the thread that
// started the work (never on a worker), so a window may repaint from it.
using ProgressCallback = std::function<void(SynthesisStage stage, int rowsDone, int rowsTotal)>;

// How a stage runs: how many threads (0: all cores), whom to tell, and the
// flag that asks it to stop (none: it runs to its end; copies share the flag).
struct RunOptions {
    int Threads = 0;
    ProgressCallback Progress;
    const CancelFlag* Cancel = nullptr;
};

}  // namespace orvalis
