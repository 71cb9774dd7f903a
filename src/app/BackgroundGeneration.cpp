#include "app/BackgroundGeneration.h"

#include <exception>
#include <filesystem>
#include <memory>
#include <utility>

#include <QMetaObject>

#include "app/DibImage.h"

namespace orvalis {

BackgroundGeneration::BackgroundGeneration(QObject* window, GenerateSettings settings,
                                           std::string programFolder, Callbacks callbacks)
    : window_(window),
      settings_(std::move(settings)),
      programFolder_(std::move(programFolder)),
      callbacks_(std::move(callbacks)) {
    clock_.start();
    settings_.Run.Cancel = &cancel_;
    settings_.Run.Progress = [this](SynthesisStage stage, int rowsDone, int rowsTotal) {
        Post([progress = callbacks_.Progress, stage, rowsDone, rowsTotal] {
            progress(stage, rowsDone, rowsTotal);
        });
    };
    settings_.BlendDone = [this](const TDibBuffer& unlit) {
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
        const std::filesystem::path folder(programFolder_);
        ResultFile texture = ClaimFreeOutputName(folder);
        ResultFile lightmapFile = ResultFile::Replacing((folder / kLightmapFileName).string());
        GenerateTexture(settings_, texture, &lightmapFile, outcome->Lightmap);
        outcome->OutputFile = std::filesystem::path(texture.Path()).filename().string();
        outcome->ElapsedMs = clock_.elapsed();
    } catch (const RunCancelled&) {
        outcome->Cancelled = true;
    } catch (const std::exception& error) {
        outcome->Error = error.what();
    }
    // Finished may end this object, so the call holds its own copies.
    Post([finished = callbacks_.Finished, outcome] { finished(*outcome); });
}

}  // namespace orvalis
