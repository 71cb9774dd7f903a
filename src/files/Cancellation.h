#pragma once

#include <atomic>
#include <stdexcept>

namespace orvalis {

// Raised by a flag to ask a running generation to stop: a signal handler or a
// Cancel button sets it, the work checks it between rows and between writes.
// Lock-free, so that a signal handler may set it.
using CancelFlag = std::atomic<bool>;
static_assert(CancelFlag::is_always_lock_free);

// The work stopped because it was asked to; whatever it had begun is undone.
// Not an Error on purpose: a handler that shows an input error's message can
// never swallow a cancel, which must reach the one that reports the stop.
class RunCancelled : public std::runtime_error {
public:
    RunCancelled() : std::runtime_error("cancelled") {}
};

inline void ThrowIfCancelled(const CancelFlag* cancel) {
    if (cancel != nullptr && cancel->load(std::memory_order_relaxed)) throw RunCancelled();
}

}  // namespace orvalis
