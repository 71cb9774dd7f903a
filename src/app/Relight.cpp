#include "app/Relight.h"

#include <exception>
#include <utility>

#include <QDateTime>
#include <QFileInfo>
#include <QtConcurrent/QtConcurrentRun>

#include "app/DibImage.h"
#include "io/PictureFile.h"
#include "generation/GenerateTexture.h"

namespace orvalis {

// One generation's blend and what it was made from. Only the job running at
// the time touches Terrain, which the first light fills.
struct TRelight::Source {
    std::string HeightmapPath;
    QDateTime HeightmapChanged;
    QStringList Inputs;
    TDibBuffer Unlit;
    std::optional<TerrainLighting> Terrain;
};

namespace {

QDateTime LastChange(const std::string& path) {
    return QFileInfo(QString::fromStdString(path)).lastModified();
}

// Runs on a pool thread; without a light it only gets the terrain ready. A
// heightmap that has become unreadable gives no result; the window keeps what
// it shows.
std::shared_ptr<const RelitTexture> LightAgain(const std::string& heightmapPath,
                                               std::optional<TerrainLighting>& terrain,
                                               const TDibBuffer& unlit,
                                               std::optional<LightSettings> light) {
    try {
        // Read as the window's generation read it, whatever the heightmap's format.
        if (!terrain) terrain = PrepareTerrainLighting(ReadHeightmapPicture(heightmapPath));
        if (!light) return nullptr;
        auto relit = std::make_shared<RelitTexture>();
        relit->Light = *light;
        relit->Texture.CopyFromBitmap(unlit);
        ApplyLightmap(relit->Texture, ShadeTerrain(*terrain, *light));
        relit->Picture = DibToImage(relit->Texture);
        return relit;
    } catch (const std::exception&) {
        return nullptr;
    }
}

}  // namespace

TRelight::TRelight(QObject* parent) : QObject(parent) {
    connect(&watcher_, &QFutureWatcherBase::finished, this, &TRelight::Finished);
}

TRelight::~TRelight() { watcher_.waitForFinished(); }

TDibBuffer* TRelight::Prepare(const std::string& heightmapPath, QStringList inputs) {
    pending_ = std::make_shared<Source>();
    pending_->HeightmapPath = heightmapPath;
    pending_->HeightmapChanged = LastChange(heightmapPath);
    pending_->Inputs = std::move(inputs);
    return &pending_->Unlit;
}

// A running job keeps the source it was given alive until it ends.
void TRelight::EndGeneration(bool saved) {
    std::shared_ptr<Source> ended = std::move(pending_);
    if (!saved || !ended) return;
    source_ = std::move(ended);
    waiting_.reset();
    last_.reset();
}

bool TRelight::IsCurrent(const QStringList& inputs) const {
    return source_ && !source_->Unlit.IsEmpty() && source_->Inputs == inputs &&
           LastChange(source_->HeightmapPath) == source_->HeightmapChanged;
}

// No job runs, so the terrain may be looked at here.
void TRelight::Warm(const QStringList& inputs) {
    if (!IsCurrent(inputs) || running_ || source_->Terrain) return;
    Start(std::nullopt);
}

bool TRelight::Request(const LightSettings& light, const QStringList& inputs) {
    if (!IsCurrent(inputs)) return false;
    if (running_) {
        waiting_ = light;
    } else {
        Start(light);
    }
    return true;
}

void TRelight::Start(std::optional<LightSettings> light) {
    running_ = source_;
    watcher_.setFuture(QtConcurrent::run([source = source_, light] {
        return LightAgain(source->HeightmapPath, source->Terrain, source->Unlit, light);
    }));
}

// A light of a generation that has been replaced meanwhile is dropped.
void TRelight::Finished() {
    std::shared_ptr<const RelitTexture> relit = watcher_.result();
    if (running_ != source_) relit.reset();
    running_.reset();
    if (waiting_) {
        const LightSettings next = *waiting_;
        waiting_.reset();
        Start(next);
    }
    if (!relit) return;
    last_ = std::move(relit);
    emit Relit(*last_);
}

}  // namespace orvalis
