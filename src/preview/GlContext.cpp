#include "preview/GlContext.h"

#include <GL/gl.h>

#include <QExposeEvent>
#include <QGuiApplication>
#include <QOpenGLContext>

namespace orvalis {
namespace {

std::string PlatformName() { return QGuiApplication::platformName().toStdString(); }

// The fixed-function pipeline with a depth buffer; 8 bits per colour channel.
QSurfaceFormat PreviewSurfaceFormat() {
    QSurfaceFormat format;
    format.setRenderableType(QSurfaceFormat::OpenGL);
    format.setProfile(QSurfaceFormat::CompatibilityProfile);
    format.setSwapBehavior(QSurfaceFormat::DoubleBuffer);
    format.setRedBufferSize(8);
    format.setGreenBufferSize(8);
    format.setBlueBufferSize(8);
    format.setDepthBufferSize(24);
    format.setStencilBufferSize(0);
    return format;
}

}  // namespace

TPreviewSurface::TPreviewSurface() {
    setSurfaceType(QSurface::OpenGLSurface);
    setFormat(PreviewSurfaceFormat());
    resize(kWidth, kHeight);
}

// Members go first: the context is released before QWindow destroys the
// native window it is current on.
TPreviewSurface::~TPreviewSurface() = default;

void TPreviewSurface::StartGl() {
    if (!LoadGlLibraries()) {
        throw GlContextError("No OpenGL for the preview: the program has no window system yet");
    }
    std::unique_ptr<QOpenGLContext> context = CreateGlContext(*this);
    ActivateGlContext(*context, *this);
    SetFixedGlState();
    context_ = std::move(context);
}

void TPreviewSurface::SwapBuffers() {
    if (context_) context_->swapBuffers(this);
}

void TPreviewSurface::DrawOn(QWindow& other, const std::function<void()>& draw) {
    if (!context_) return;
    if (context_->makeCurrent(&other)) {
        draw();
        context_->swapBuffers(&other);
    }
    context_->makeCurrent(this);
}

void TPreviewSurface::exposeEvent(QExposeEvent*) {
    if (ExposureChanged) ExposureChanged();
    if (!context_ || !isExposed()) return;
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    SwapBuffers();
}

bool LoadGlLibraries() { return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr; }

std::unique_ptr<QOpenGLContext> CreateGlContext(QWindow& surface) {
    surface.create();
    auto context = std::make_unique<QOpenGLContext>();
    context->setFormat(surface.requestedFormat());
    if (!surface.handle() || !context->create()) {
        throw GlContextError("No OpenGL for the preview: the window system \"" + PlatformName() +
                             "\" gives no double-buffered context with 24 depth bits");
    }
    return context;
}

void ActivateGlContext(QOpenGLContext& context, QWindow& surface) {
    if (!context.makeCurrent(&surface)) {
        throw GlContextError("No OpenGL for the preview: the context could not be made current on \"" +
                             PlatformName() + "\"");
    }
}

void SetFixedGlState() {
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LESS);
    glEnable(GL_NORMALIZE);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
}

std::int32_t QueryMaxTextureSize() {
    GLint size = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &size);
    return size;
}

}  // namespace orvalis
