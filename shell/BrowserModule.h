// The homepage window's browser lives in a module of its own, loaded the first
// time that window opens, so the game itself never links Qt WebEngine, which
// would double its time to first paint.
#pragma once

#include <QString>
#include <QStringList>

class QWidget;

// The module's one entry point, found by this name. It builds a browser control
// as a child of parent: a QWebEngineView, driven through its own meta-object
// API (the "url" property navigates, loadFinished(bool) reports), so the two
// sides share no class but QWidget.
extern "C" {
typedef QWidget* DhCreateBrowserFn(QWidget* parent);
}
inline constexpr const char* kCreateBrowserSymbol = "DhCreateBrowser";

// Where the module may be: beside the executable (the build tree), then its
// installed place relative to the executable's folder.
QStringList BrowserModulePaths(const QString& exeDir);

// Loads the module from the first of paths that exists and builds a browser.
// Null, with *error set to the reason, when the module or its libraries cannot
// be loaded: the caller goes on without a browser.
QWidget* CreateBrowser(QWidget* parent, const QStringList& paths, QString* error);
