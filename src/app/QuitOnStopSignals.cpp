#include "app/QuitOnStopSignals.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>

#include <QApplication>
#include <QCoreApplication>
#include <QSocketNotifier>

#include "files/StopSignals.h"

namespace orvalis {

namespace {

std::atomic<int> g_wakeUp{-1};
static_assert(std::atomic<int>::is_always_lock_free);

extern "C" void WakeTheEventLoop(int signal) {
    const char byte = static_cast<char>(signal);
    // A full pipe already holds a wake-up.
    [[maybe_unused]] const ssize_t ignored = ::write(g_wakeUp.load(), &byte, 1);
}

}  // namespace

QuitOnStopSignals::QuitOnStopSignals() {
    int ends[2] = {-1, -1};
    if (::pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0) {
        // Without a pipe the first signal ends the program at once, with
        // its files removed.
        HandleStopSignals("orvalis", nullptr);
        return;
    }
    readEnd_ = Descriptor(ends[0]);
    writeEnd_ = Descriptor(ends[1]);
    g_wakeUp.store(writeEnd_.Get());
    notifier_ = new QSocketNotifier(readEnd_.Get(), QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &QuitOnStopSignals::Quit);
    HandleStopSignals("orvalis", WakeTheEventLoop);
}

QuitOnStopSignals::~QuitOnStopSignals() {
    // A signal from now on ends the program at once.
    HandleStopSignals("orvalis", nullptr);
    g_wakeUp.store(-1);
}

int QuitOnStopSignals::RunEventLoop() const {
    const int exitCode = StopSignalReceived() == 0 ? QApplication::exec() : 0;
    const int signal = StopSignalReceived();
    if (signal == 0) return exitCode;
    std::fprintf(stderr, "orvalis: stopped by %s\n", StopSignalName(signal));
    return 128 + signal;
}

void QuitOnStopSignals::Quit() {
    char bytes[16];
    while (::read(readEnd_.Get(), bytes, sizeof bytes) > 0) {
    }
    // exit, not quit: it also ends the loop of a dialog shown during
    // start-up, before the application's own loop runs.
    QCoreApplication::exit(0);
}

}  // namespace orvalis
