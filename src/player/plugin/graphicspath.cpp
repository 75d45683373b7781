#include "player/plugin/graphicspath.h"

#include <QByteArray>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFunctions>
#include <QQuickWindow>
#include <QSGRendererInterface>

namespace {

// Whether OpenGL runs on a graphics processor, judged from the global shared
// context: false without one, or when a software rasteriser stands in.
bool HasUsableGpu() {
  QOpenGLContext* shared = QOpenGLContext::globalShareContext();
  if (!shared || !shared->isValid())
    return false;
  QOffscreenSurface surface;
  surface.setFormat(shared->format());
  surface.create();
  if (!shared->makeCurrent(&surface))
    return false;
  const auto* name = reinterpret_cast<const char*>(shared->functions()->glGetString(GL_RENDERER));
  const QByteArray renderer = QByteArray(name).toLower();
  shared->doneCurrent();
  // Mesa's and Chromium's software rasterisers name themselves so.
  for (const char* software :
       {"llvmpipe", "softpipe", "software rasterizer", "swiftshader", "lavapipe"}) {
    if (renderer.contains(software))
      return false;
  }
  return !renderer.isEmpty();
}

}  // namespace

void PrepareGraphics() {
  // Chromium draws the page without a GPU anyway; Qt Quick then shows each of
  // its frames. On a software rasteriser, Qt Quick's OpenGL composition of a
  // full-screen view costs more than the movie and drops frames; its software
  // renderer hands the frame on with plain copies. With a GPU, OpenGL stays.
  if (!HasUsableGpu())
    QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
}
