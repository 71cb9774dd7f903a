#include "app/BackgroundGeneration.h"

#include <exception>
#include <filesystem>
#include <memory>
#include <utility>

#include <QMetaObject>

#include "app/DibImage.h"

namespace orvalis {

BackgroundGeneration::BackgroundGeneration(QObject* window, GenerationRequest request, Callbacks callbacks)
    : window_(window), request_(std::move(request)), callbacks_(std::move(callbacks)) {
    clock_.start();
    GenerateSettings& settings = request_.Settings;
    settings.Run.Cancel = &cancel_;
    settings.Run.Progress = [this](SynthesisStage stage, int rowsDone, int rowsTotal) {
        Post([progress = callbacks_.Progress, stage, rowsDone, rowsTotal] {
            progress(stage, rowsDone, rowsTotal);
        });
    };
    settings.BlendDone = [this](const TDibBuffer& unlit) {
        Post([blendDone = callbacks_.BlendDone, picture = DibToImage(unlit)] {
            blendDone(picture);
        });
    };
    worker_ = std::jthread([this] { Run(); });
}

BackgroundGeneration::~BackgroundGeneration() { Cancel(); }

void BackgroundGeneration::Post(std::function<void()> call) const {
    QMetaObject::invokeMethod(window_, std::move(call), Qt::QueuedConnection);
}

void BackgroundGeneration::Run() {
    auto outcome = std::make_shared<Outcome>();
    try {
        GenerationResult result = RunGeneration(request_);
        outcome->Lightmap = std::move(result.Lightmap);
        outcome->OutputFile = std::filesystem::path(result.Texture).filename().string();
        outcome->ElapsedMs = clock_.elapsed();
    } catch (const RunCancelled&) {
        outcome->Cancelled = true;
    } catch (const NothingSaved& failure) {
        // The window says what went wrong; that nothing is saved goes without saying.
        try {
            std::rethrow_exception(failure.Cause());
        } catch (const std::exception& error) {
            outcome->Error = error.what();
        }
    } catch (const std::exception& error) {
        outcome->Error = error.what();
    }
    // Finished may end this object, so the call holds its own copies.
    Post([finished = callbacks_.Finished, outcome] { finished(*outcome); });
}

}  // namespace orvalis
