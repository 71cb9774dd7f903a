#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include <QElapsedTimer>
#include <QImage>
#include <QObject>

#include "generation/GenerationRequest.h"

namespace orvalis {

// One generation on a worker thread, so that the window keeps painting and
// can take a Cancel; the request says which files it writes. What the worker has to tell
// reaches the window's thread as queued calls on `window`, which therefore
// never arrive after the window is gone.
class BackgroundGeneration {
public:
    struct Outcome {
        std::string OutputFile;  // plain name in the request's folder
        std::int64_t ElapsedMs = 0;
        TDibBuffer Lightmap;     // the new lightmap of a completed lit run
        std::string Error;       // the message of a failed run
        bool Cancelled = false;
    };
    struct Callbacks {
        std::function<void(SynthesisStage stage, int rowsDone, int rowsTotal)> Progress;
        std::function<void(const QImage& unlit)> BlendDone;
        std::function<void(Outcome& outcome)> Finished;  // the last call
    };

    // The request's tiles must stay unchanged until Finished.
    BackgroundGeneration(QObject* window, GenerationRequest request, Callbacks callbacks);
    // Asks the run to stop and waits for it: it removes its files first.
    ~BackgroundGeneration();
    BackgroundGeneration(const BackgroundGeneration&) = delete;
    BackgroundGeneration& operator=(const BackgroundGeneration&) = delete;

    void Cancel() { cancel_ = true; }

private:
    void Run();
    void Post(std::function<void()> call) const;

    QObject* window_;
    GenerationRequest request_;
    Callbacks callbacks_;
    CancelFlag cancel_{false};
    QElapsedTimer clock_;
    std::jthread worker_;  // last: it starts once everything above exists
};

}  // namespace orvalis
