#include "files/StopSignals.h"

#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cstring>

#include "files/OwnedFiles.h"

namespace orvalis {

namespace {

constexpr int kStopSignals[] = {SIGINT, SIGTERM, SIGHUP};

using FirstStop = void (*)(int);

std::atomic<const char*> g_program{""};
std::atomic<FirstStop> g_firstStop{nullptr};
std::atomic<int> g_received{0};
static_assert(std::atomic<int>::is_always_lock_free);
static_assert(std::atomic<FirstStop>::is_always_lock_free);

void WriteToStderr(const char* text) {
    // Nothing is left to do when stderr cannot take it.
    [[maybe_unused]] const ssize_t ignored = ::write(STDERR_FILENO, text, std::strlen(text));
}

extern "C" void OnStopSignal(int signal) {
    int none = 0;
    const FirstStop firstStop = g_firstStop.load();
    if (g_received.compare_exchange_strong(none, signal) && firstStop != nullptr) {
        firstStop(signal);
        return;
    }
    RemoveOwnedFilesNow();
    WriteToStderr(g_program.load());
    WriteToStderr(": stopped by ");
    WriteToStderr(StopSignalName(signal));
    WriteToStderr(" at once; its unfinished files were removed\n");
    ::_exit(128 + signal);
}

}  // namespace

void HandleStopSignals(const char* program, void (*firstStop)(int signal)) {
    g_program.store(program);
    g_firstStop.store(firstStop);
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    for (const int signal : kStopSignals) sigaddset(&action.sa_mask, signal);
    action.sa_flags = SA_RESTART;
    for (const int signal : kStopSignals) sigaction(signal, &action, nullptr);
}

int StopSignalReceived() { return g_received.load(); }

const char* StopSignalName(int signal) {
    switch (signal) {
    case SIGINT: return "SIGINT";
    case SIGTERM: return "SIGTERM";
    case SIGHUP: return "SIGHUP";
    default: return "a signal";
    }
}

void IgnoreFileSizeSignal() {
    struct sigaction action {};
    action.sa_handler = SIG_IGN;
    sigemptyset(&action.sa_mask);
    sigaction(SIGXFSZ, &action, nullptr);
}

}  // namespace orvalis
