// Frame rate of the preview at the resolutions 128 and 256: frames are drawn
// and swapped back to back, with the event loop run between them, as the
// window's idle handler does while the Preview page is shown.
//
//   orvalis-preview-fps [seconds [heightmap.bmp texture.bmp]]
//
// Each resolution is drawn for 5 seconds unless told otherwise. Without
// pictures it makes a 256 x 256 hilly heightmap and a 256 x 256
// texture (the default texture size) in a temporary folder.
#include <GL/gl.h>

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <QTimer>
#include <cmath>
#include <cstdio>
#include <exception>
#include <string>

#include "preview/GlContext.h"
#include "preview/PreviewControls.h"
#include "preview/PreviewFrame.h"
#include "preview/PreviewMesh.h"
#include "preview/PreviewTexture.h"
#include "raster/DibBuffer.h"

namespace {

using namespace orvalis;

constexpr int kPictureSide = 256;

void WriteHeightmap(const std::string& path) {
    TDibBuffer picture;
    picture.Allocate(kPictureSide, kPictureSide, 24);
    for (int row = 0; row < kPictureSide; ++row) {
        for (int column = 0; column < kPictureSide; ++column) {
            const double hills = std::sin(column * 0.05) * std::cos(row * 0.07);
            const auto grey = static_cast<std::uint8_t>(127.5 + 127 * hills);
            picture.WritePixel(row, column, MakeColour(grey, grey, grey));
        }
    }
    picture.WriteBmpFile(path);
}

void WriteTexture(const std::string& path) {
    TDibBuffer picture;
    picture.Allocate(kPictureSide, kPictureSide, 24);
    for (int row = 0; row < kPictureSide; ++row) {
        for (int column = 0; column < kPictureSide; ++column) {
            picture.WritePixel(
                row, column,
                MakeColour(static_cast<std::uint8_t>(column), static_cast<std::uint8_t>(row), 96));
        }
    }
    picture.WriteBmpFile(path);
}

// Draws for the given time and gives the frames per second.
double MeasureFrames(TPreviewSurface& surface, const THeightMap& mesh, double seconds) {
    PreviewView view{TPreviewSurface::kWidth, TPreviewSurface::kHeight, 1.0f, 0.0f};
    QTimer rotation;
    QObject::connect(&rotation, &QTimer::timeout,
                     [&view] { view.RotationAngle = NextRotationAngle(view.RotationAngle); });
    rotation.start(20);
    QElapsedTimer clock;
    clock.start();
    long frames = 0;
    while (clock.elapsed() < seconds * 1000) {
        DrawPreviewFrame(mesh, view);
        surface.SwapBuffers();
        QCoreApplication::processEvents();
        ++frames;
    }
    glFinish();
    return frames / (clock.nsecsElapsed() / 1e9);
}

int Run(int argc, char** argv) {
    const double seconds = argc >= 2 ? std::stod(argv[1]) : 5.0;
    QTemporaryDir folder;
    std::string heightmap = folder.filePath("heightmap.bmp").toStdString();
    std::string texture = folder.filePath("texture.bmp").toStdString();
    if (argc >= 4) {
        heightmap = argv[2];
        texture = argv[3];
    } else {
        WriteHeightmap(heightmap);
        WriteTexture(texture);
    }

    TPreviewSurface surface;
    surface.StartGl();
    surface.show();
    while (!surface.isExposed()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    std::printf("GL renderer: %s\n", reinterpret_cast<const char*>(glGetString(GL_RENDERER)));

    THeightMap mesh;
    for (const std::int32_t resolution : {128, 256}) {
        BuildPreviewMesh(mesh, heightmap, resolution);
        if (!ReloadPreviewTexture(mesh, texture)) return 1;
        const double fps = MeasureFrames(surface, mesh, seconds);
        std::printf("Resolution %3d: %zu vertices, %.1f fps\n", resolution, mesh.Vertices.size(), fps);
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    QGuiApplication application(argc, argv);
    try {
        return Run(argc, argv);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
}
