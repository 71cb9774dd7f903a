#pragma once

#include <QWindow>
#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>

class QOpenGLContext;

namespace orvalis {

// The window system gave no OpenGL context for the preview. Not an Error:
// it is about the machine, not about input from outside, and only the
// preview's start-up meets it (the window shows it and goes on without GL).
class GlContextError : public std::runtime_error {
public:
    explicit GlContextError(const std::string& problem) : std::runtime_error(problem) {}
};

// Panel1: the 320 x 240 window the preview draws into, placed on the Preview
// page through QWidget::createWindowContainer; double-buffered, 24 depth bits,
// no stencil, compatibility profile. StartGl gives it a context at start-up,
// before the page is ever shown; the context stays current on this thread
// until the surface is destroyed, and nothing else makes a context current.
// Each expose clears the panel to black; a running preview draws over it
// with its next frame.
class TPreviewSurface : public QWindow {
public:
    static constexpr int kWidth = 320;
    static constexpr int kHeight = 240;

    TPreviewSurface();
    ~TPreviewSurface() override;

    // LoadGlLibraries, CreateGlContext, ActivateGlContext and the fixed GL
    // state. Raises GlContextError; the surface then simply has no GL.
    void StartGl();
    bool HasGl() const { return context_ != nullptr; }
    // Shows the frame drawn since the last swap.
    void SwapBuffers();
    // Makes this surface's context current on another window of the same
    // format, calls draw there, shows the frame and makes the context current
    // on this surface again, so that the mesh's arrays and textures serve
    // both. Does nothing without GL or when the window cannot take it.
    void DrawOn(QWindow& other, const std::function<void()>& draw);

    // Called whenever the surface is shown, covered, uncovered or hidden, so
    // that its owner draws only while it can be seen.
    std::function<void()> ExposureChanged;

protected:
    void exposeEvent(QExposeEvent* event) override;

private:
    std::unique_ptr<QOpenGLContext> context_;
};

// GL and GLU are linked in; what can still be missing is the window system
// that hands out contexts. True when a QGuiApplication is running.
bool LoadGlLibraries();

// Creates the surface's native window and a context in its format. Raises
// GlContextError naming the platform when there is none.
std::unique_ptr<QOpenGLContext> CreateGlContext(QWindow& surface);

// Makes context current on surface; raises GlContextError when it cannot.
void ActivateGlContext(QOpenGLContext& context, QWindow& surface);

// The state every frame relies on, set once: 2D texturing, depth test with
// GL_LESS, normalised normals, nicest perspective correction, and the vertex
// and texture-coordinate client arrays.
void SetFixedGlState();

// GL_MAX_TEXTURE_SIZE of the current context.
std::int32_t QueryMaxTextureSize();

}  // namespace orvalis
