#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include <QFutureWatcher>
#include <QImage>
#include <QObject>
#include <QStringList>

#include "files/Cancellation.h"
#include "raster/DibBuffer.h"
#include "lighting/Lightmap.h"

namespace orvalis {

// The last generated texture lit for another light, made in memory only.
struct RelitTexture {
    LightSettings Light;
    TDibBuffer Texture;  // 24-bit, as the generation would write it
    QImage Picture;      // the same, top row first, for a picture box
};

// Lights the last generation's blend again when the lighting scrollbars move,
// off the GUI thread: the heightmap and its normal map are read once, each
// light only shades and multiplies. A large texture is first lit at about the
// picture box's size, which shows within moments, then whole. At most one
// light is worked on at a time; a move that arrives meanwhile stops it, and
// the newest of the moves follows.
class TRelight : public QObject {
    Q_OBJECT

public:
    // boxEdge: the edge in pixels of the box that shows the quick relights.
    explicit TRelight(std::int32_t boxEdge, QObject* parent = nullptr);
    // Waits for the light being worked on.
    ~TRelight() override;

    // A generation starts from the heightmap file and the inputs described by
    // `inputs` (any texts that change when they do). The returned buffer is
    // for the generation's blend. The earlier generation stays the one
    // relit until the run ends saved; a run that fails or is cancelled
    // leaves it so.
    TDibBuffer* Prepare(const std::string& heightmapPath, QStringList inputs);
    void EndGeneration(bool saved);

    // Reads the heightmap and builds its normal map ahead of the first light,
    // when `inputs` are those the last blend was made from.
    void Warm(const QStringList& inputs);

    // Lights the last blend for `light` when `inputs` are those it was made
    // from. False when there is nothing to relight.
    bool Request(const LightSettings& light, const QStringList& inputs);

    // The newest result of the current generation, or null.
    const RelitTexture* Last() const { return last_.get(); }
    // Busy until the result of the last light has been taken over, which
    // happens a moment after the pool thread ends.
    bool IsBusy() const { return running_.Of != nullptr || waiting_.has_value(); }

signals:
    void Relit(const orvalis::RelitTexture& texture);
    // The same light at about the box's size, ahead of Relit; for the screen
    // only. Not sent when the sizes are small enough for Relit to come soon.
    void QuickRelit(const QImage& picture, const orvalis::LightSettings& light);

private:
    struct Source;
    // One piece of work on the pool: a light, or none to get the terrain ready.
    struct Job {
        std::shared_ptr<Source> Of;
        std::optional<LightSettings> Light;
        std::shared_ptr<CancelFlag> Cancel;
        std::uint64_t Number = 0;
    };

    static std::shared_ptr<const RelitTexture> LightAgain(
        const Job& job, std::int32_t boxEdge, const std::function<void(QImage)>& showQuick);
    bool IsCurrent(const QStringList& inputs) const;
    void Start(std::optional<LightSettings> light);
    void Finished();

    const std::int32_t boxEdge_;
    std::shared_ptr<Source> pending_;  // the generation being run, until it is saved
    std::shared_ptr<Source> source_;
    Job running_;  // the one worked on; no source when none is
    std::uint64_t jobs_ = 0;  // jobs started, numbering them
    std::optional<LightSettings> waiting_;
    std::shared_ptr<const RelitTexture> last_;
    QFutureWatcher<std::shared_ptr<const RelitTexture>> watcher_;
};

}  // namespace orvalis
