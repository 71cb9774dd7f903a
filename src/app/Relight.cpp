#include "app/Relight.h"

#include <exception>
#include <utility>

#include <QDateTime>
#include <QFileInfo>
#include <QtConcurrent/QtConcurrentRun>

#include "app/DibImage.h"
#include "app/QuickRelight.h"
#include "io/PictureFile.h"
#include "generation/GenerateTexture.h"

namespace orvalis {

// One generation's blend and what it was made from. Only the job running at
// the time touches Terrain and Quick, which the first job fills.
struct TRelight::Source {
    std::string HeightmapPath;
    QDateTime HeightmapChanged;
    QStringList Inputs;
    TDibBuffer Unlit;
    std::optional<TerrainLighting> Terrain;
    std::optional<QuickRelightSource> Quick;
};

namespace {

QDateTime LastChange(const std::string& path) {
    return QFileInfo(QString::fromStdString(path)).lastModified();
}

}  // namespace

// Runs on a pool thread; without a light it only gets the terrain ready. With
// one it hands a quick relight to showQuick first, when the sizes call for
// one. A heightmap that has become unreadable, or a cancel, gives no result;
// the window keeps what it shows.
std::shared_ptr<const RelitTexture> TRelight::LightAgain(
    const Job& job, std::int32_t boxEdge, const std::function<void(QImage)>& showQuick) {
    try {
        Source& source = *job.Of;
        // Read as the generation read it, whatever the heightmap's format.
        if (!source.Terrain) {
            source.Terrain = PrepareTerrainLighting(ReadHeightmapPicture(source.HeightmapPath));
            source.Quick = MakeQuickRelightSource(*source.Terrain, source.Unlit, boxEdge);
        }
        if (!job.Light) return nullptr;
        RunOptions run;
        run.Cancel = job.Cancel.get();
        if (source.Quick) showQuick(QuickRelight(*source.Quick, *job.Light, run));
        auto relit = std::make_shared<RelitTexture>();
        relit->Light = *job.Light;
        relit->Texture.CopyFromBitmap(source.Unlit);
        ApplyLightmap(relit->Texture, ShadeTerrain(*source.Terrain, *job.Light, run), run);
        ThrowIfCancelled(run.Cancel);
        relit->Picture = DibToImage(relit->Texture);
        return relit;
    } catch (const std::exception&) {
        return nullptr;
    }
}

TRelight::TRelight(std::int32_t boxEdge, QObject* parent) : QObject(parent), boxEdge_(boxEdge) {
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
    if (!IsCurrent(inputs) || running_.Of || source_->Terrain) return;
    Start(std::nullopt);
}

// A light that arrives while another is being lit stops that one: only the
// newest counts, and its quick relight is then shown soonest.
bool TRelight::Request(const LightSettings& light, const QStringList& inputs) {
    if (!IsCurrent(inputs)) return false;
    if (running_.Of) {
        waiting_ = light;
        if (running_.Light) running_.Cancel->store(true);
    } else {
        Start(light);
    }
    return true;
}

void TRelight::Start(std::optional<LightSettings> light) {
    running_ = Job{source_, light, std::make_shared<CancelFlag>(false), ++jobs_};
    const std::uint64_t number = running_.Number;
    const auto showQuick = [this, number, light](QImage picture) {
        QMetaObject::invokeMethod(this, [this, number, light, picture] {
            if (running_.Number == number && !waiting_) emit QuickRelit(picture, *light);
        }, Qt::QueuedConnection);
    };
    watcher_.setFuture(QtConcurrent::run([job = running_, boxEdge = boxEdge_, showQuick] {
        return LightAgain(job, boxEdge, showQuick);
    }));
}

// A light of a generation that has been replaced meanwhile is dropped.
void TRelight::Finished() {
    std::shared_ptr<const RelitTexture> relit = watcher_.result();
    if (running_.Of != source_) relit.reset();
    running_ = Job{};
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
