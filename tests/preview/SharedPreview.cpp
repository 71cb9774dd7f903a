#include "SharedPreview.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <memory>

namespace orvalis::test {
namespace {

std::unique_ptr<SharedPreview> shared;

}  // namespace

SharedPreview& Preview() {
    if (!shared) {
        auto preview = std::make_unique<SharedPreview>();
        preview->Surface.StartGl();
        preview->MaxTextureSizeAtStart = QueryMaxTextureSize();
        preview->Surface.show();
        QElapsedTimer waited;
        waited.start();
        while (!preview->Surface.isExposed() && waited.elapsed() < 10000) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 100);
        }
        shared = std::move(preview);
    }
    return *shared;
}

void ClosePreview() { shared.reset(); }

}  // namespace orvalis::test
