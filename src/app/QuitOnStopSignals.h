#pragma once

#include <QObject>

#include "files/Descriptor.h"

class QSocketNotifier;

namespace orvalis {

// SIGINT, SIGTERM and SIGHUP close the window as its user would: the signal
// handler writes to a pipe, and the event loop, woken by it, quits, so that
// the window goes and a running generation is cancelled and removes its
// files. A second signal ends the program at once, after removing the files
// it owns (StopSignals.h). Made once, right after the QApplication.
class QuitOnStopSignals : public QObject {
public:
    QuitOnStopSignals();
    ~QuitOnStopSignals() override;
    QuitOnStopSignals(const QuitOnStopSignals&) = delete;
    QuitOnStopSignals& operator=(const QuitOnStopSignals&) = delete;

    // Runs the application's event loop, unless a stop signal came before
    // (during start-up, when a dialog's loop already answered it), and
    // gives what main returns: 128 + the signal when one stopped the
    // program, which it reports on stderr, else the loop's exit code.
    int RunEventLoop() const;

private:
    void Quit();

    Descriptor readEnd_;
    Descriptor writeEnd_;
    QSocketNotifier* notifier_ = nullptr;
};

}  // namespace orvalis
