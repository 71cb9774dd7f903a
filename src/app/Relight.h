#pragma once

#include <memory>
#include <optional>
#include <string>

#include <QFutureWatcher>
#include <QImage>
#include <QObject>
#include <QStringList>

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
// light only shades and multiplies. At most one light is worked on at a time;
// moves that arrive meanwhile are merged into the newest, which follows.
class TRelight : public QObject {
    Q_OBJECT

public:
    explicit TRelight(QObject* parent = nullptr);
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
    bool IsBusy() const { return running_ != nullptr || waiting_.has_value(); }

signals:
    void Relit(const orvalis::RelitTexture& texture);

private:
    struct Source;

    bool IsCurrent(const QStringList& inputs) const;
    void Start(std::optional<LightSettings> light);
    void Finished();

    std::shared_ptr<Source> pending_;  // the generation being run, until it is saved
    std::shared_ptr<Source> source_;
    std::shared_ptr<Source> running_;  // the source of the light being worked on, or null
    std::optional<LightSettings> waiting_;
    std::shared_ptr<const RelitTexture> last_;
    QFutureWatcher<std::shared_ptr<const RelitTexture>> watcher_;
};

}  // namespace orvalis
