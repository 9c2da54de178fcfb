#include "shell/BrowserModule.h"

#include <unistd.h>

#include <QDir>
#include <QFileInfo>
#include <QLibrary>

namespace {

QtMessageHandler previousHandler = nullptr;

// Loaded after QApplication exists, Qt WebEngine warns that it was "initialized
// from a plugin": it wants an OpenGL context shared with the application,
// made before the application is. We choose not to pay for that at every
// start and draw the page in software instead (web/BrowserModule.cpp), which
// it then reports as finding no graphics backend; as root it also reports the
// sandbox we switched off. None of these says anything new, so they stay out
// of the player's terminal; every other message passes on.
void QuietLateStart(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  static const QString known[] = {QStringLiteral("Qt WebEngine seems to be initialized from a plugin"),
                                  QStringLiteral("No suitable graphics backend found"),
                                  QStringLiteral("Sandboxing disabled by user.")};
  if (type == QtWarningMsg || type == QtInfoMsg || type == QtDebugMsg)
    for (const QString& k : known)
      if (message.startsWith(k)) return;
  if (previousHandler) previousHandler(type, context, message);
}

}  // namespace

QStringList BrowserModulePaths(const QString& exeDir) {
  const QString file = QStringLiteral(DH_BROWSER_MODULE);
  return {QDir(exeDir).filePath(file),
          QDir::cleanPath(QDir(exeDir).filePath(QStringLiteral(DH_MODULE_DIR_FROM_BIN "/") + file))};
}

QWidget* CreateBrowser(QWidget* parent, const QStringList& paths, QString* error) {
  // Chromium will not run as root with its sandbox on.
  if (geteuid() == 0 && !qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX"))
    qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");

  // Qt WebEngine speaks when it loads and again when its first page shows.
  static const bool quiet = [] {
    previousHandler = qInstallMessageHandler(QuietLateStart);
    return true;
  }();
  Q_UNUSED(quiet);

  QStringList reasons;
  for (const QString& path : paths) {
    if (!QFileInfo::exists(path)) continue;
    QLibrary library(path);  // stays loaded: Qt WebEngine cannot be unloaded
    if (!library.load()) {
      reasons << library.errorString();
      continue;
    }
    auto* create = reinterpret_cast<DhCreateBrowserFn*>(library.resolve(kCreateBrowserSymbol));
    if (!create) {
      // The loader gives no reason for a missing symbol.
      reasons << QStringLiteral("%1 is not the browser module: it has no %2").arg(path, kCreateBrowserSymbol);
      continue;
    }
    if (QWidget* browser = create(parent)) return browser;
    reasons << QStringLiteral("%1 built no browser").arg(path);
  }
  if (reasons.isEmpty())
    reasons
        << QStringLiteral("The browser module is not installed (looked for %1)").arg(paths.join(QStringLiteral(", ")));
  if (error) *error = reasons.join(QStringLiteral("; "));
  return nullptr;
}
