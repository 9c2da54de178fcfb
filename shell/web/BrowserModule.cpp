// The homepage window's browser: Qt WebEngine in a module of its own, which the
// game loads the first time that window opens (shell/BrowserModule.h).
//
// Loaded that late, Qt WebEngine finds no OpenGL context shared with the
// application: Qt::AA_ShareOpenGLContexts would have to be set before
// QApplication exists, and doing that at every start makes the game's start-up
// heavier for a window most players never open. Without that context, Qt
// WebEngine 6.4 crashes while logging the context's format and would in any
// case composite without the GPU. So the first browser this module builds
// switches Qt Quick to its software renderer and keeps that one log line off:
// the page is drawn in software, which a homepage needs no more than.
#include "shell/BrowserModule.h"

#include <QLoggingCategory>
#include <QQuickWindow>
#include <QWebEngineView>

namespace {

QLoggingCategory::CategoryFilter previousFilter = nullptr;

void QuietContextLog(QLoggingCategory* category) {
  if (previousFilter) previousFilter(category);
  if (qstrcmp(category->categoryName(), "qt.webenginecontext") == 0) {
    category->setEnabled(QtDebugMsg, false);
    category->setEnabled(QtInfoMsg, false);
  }
}

void PrepareLateStart() {
  static bool done = false;
  if (done) return;
  done = true;
  QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
  previousFilter = QLoggingCategory::installFilter(QuietContextLog);
}

}  // namespace

extern "C" Q_DECL_EXPORT QWidget* DhCreateBrowser(QWidget* parent) {
  PrepareLateStart();
  return new QWebEngineView(parent);
}

static_assert(std::is_same_v<decltype(DhCreateBrowser), DhCreateBrowserFn>, "the entry point the game looks up");
