#include "app/Relight.h"

#include <exception>
#include <utility>

#include <QDateTime>
#include <QFileInfo>
#include <QtConcurrent/QtConcurrentRun>

#include "app/DibImage.h"
#include "synth/GenerateTexture.h"

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

std::vector<std::uint8_t> RgbRowsBottomUp(const TDibBuffer& texture) {
    const std::int32_t width = texture.Width(), rows = texture.RowCount();
    std::vector<std::uint8_t> rgb(static_cast<std::size_t>(width) * rows * 3);
    std::uint8_t* out = rgb.data();
    for (std::int32_t y = rows - 1; y >= 0; --y) {
        const std::uint8_t* row = texture.RowTable(texture.BufferRow(y));
        for (std::int32_t x = 0; x < width; ++x, out += 3, row += 3) {
            out[0] = row[2];
            out[1] = row[1];
            out[2] = row[0];
        }
    }
    return rgb;
}

// Runs on a pool thread. A heightmap that has become unreadable gives no
// result; the window keeps what it shows.
std::shared_ptr<const RelitTexture> LightAgain(const std::string& heightmapPath,
                                               std::optional<TerrainLighting>& terrain,
                                               const TDibBuffer& unlit, LightSettings light) {
    try {
        if (!terrain) terrain = PrepareTerrainLighting(heightmapPath);
        auto relit = std::make_shared<RelitTexture>();
        relit->Light = light;
        relit->Texture.CopyFromBitmap(unlit);
        ApplyLightmap(relit->Texture, ShadeTerrain(*terrain, light));
        relit->Picture = DibToImage(relit->Texture);
        relit->Rgb = RgbRowsBottomUp(relit->Texture);
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
    // A running job keeps the source it was given alive until it ends.
    source_ = std::make_shared<Source>();
    source_->HeightmapPath = heightmapPath;
    source_->HeightmapChanged = LastChange(heightmapPath);
    source_->Inputs = std::move(inputs);
    waiting_.reset();
    last_.reset();
    return &source_->Unlit;
}

bool TRelight::Request(const LightSettings& light, const QStringList& inputs) {
    if (!source_ || source_->Unlit.IsEmpty() || source_->Inputs != inputs ||
        LastChange(source_->HeightmapPath) != source_->HeightmapChanged) {
        return false;
    }
    if (watcher_.isRunning()) {
        waiting_ = light;
    } else {
        Start(light);
    }
    return true;
}

void TRelight::Start(const LightSettings& light) {
    running_ = source_;
    watcher_.setFuture(QtConcurrent::run([source = source_, light] {
        return LightAgain(source->HeightmapPath, source->Terrain, source->Unlit, light);
    }));
}

// A light of a generation that has been replaced meanwhile is dropped.
void TRelight::Finished() {
    std::shared_ptr<const RelitTexture> relit = watcher_.result();
    if (running_ != source_) relit.reset();
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
