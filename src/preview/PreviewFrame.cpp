#include "preview/PreviewFrame.h"

#include <GL/gl.h>
#include <GL/glu.h>

namespace orvalis {

void DrawPreviewFrame(const THeightMap& mesh, const PreviewView& view) {
    glEnable(GL_CULL_FACE);
    glCullFace(GL_BACK);
    glClearColor(0, 0, 0, 1);
    glViewport(0, 0, view.PanelWidth, view.PanelHeight);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(45.0, static_cast<double>(view.PanelWidth) / view.PanelHeight, 0.1, 600.0);
    glMatrixMode(GL_MODELVIEW);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
    glTranslatef(0, 0, -50.0f * view.ZoomFactor);
    glRotatef(view.Tilt, 1, 0, 0);
    glRotatef(view.RotationAngle, 0, 1, 0);
    glBindTexture(GL_TEXTURE_2D, mesh.TextureId);
    if (!mesh.Vertices.empty()) glDrawArrays(GL_QUADS, 0, static_cast<GLsizei>(mesh.Vertices.size()));
}

}  // namespace orvalis
