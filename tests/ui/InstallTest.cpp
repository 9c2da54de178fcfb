// `cmake --install` puts everything in its place, the installed game finds its
// files from there, and the game never links Qt WebEngine.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include "shell/BrowserModule.h"
#include "shell/DataDir.h"

namespace {

QString Ldd(const QString& file) {
  QProcess p;
  p.start(QStringLiteral("ldd"), {file});
  p.waitForFinished(30000);
  return QString::fromLocal8Bit(p.readAllStandardOutput());
}

TEST(Install, PutsTheGameItsBrowserAndItsFilesWhereTheDesktopLooks) {
  QTemporaryDir dest;
  ASSERT_TRUE(dest.isValid());
  QProcess install;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("DESTDIR"), dest.path());
  install.setProcessEnvironment(env);
  install.start(QStringLiteral(DH_CMAKE_COMMAND), {QStringLiteral("--install"), QStringLiteral(DH_BUILD_DIR)});
  ASSERT_TRUE(install.waitForFinished(120000));
  ASSERT_EQ(install.exitCode(), 0) << install.readAllStandardError().toStdString();

  const QDir prefix(QDir::cleanPath(dest.path() + QStringLiteral("/" DH_INSTALL_PREFIX)));
  const QString bin = prefix.filePath(QStringLiteral(DH_INSTALL_BINDIR));
  const QString data = prefix.filePath(QStringLiteral(DH_INSTALL_DATADIR));
  EXPECT_TRUE(QFileInfo(bin + "/dravenholt").isExecutable());
  EXPECT_TRUE(
      QFileInfo::exists(prefix.filePath(QStringLiteral(DH_INSTALL_LIBDIR "/dravenholt/dravenholt-browser.so"))));
  const QStringList sounds = QDir(data + "/dravenholt/sounds").entryList({"*.wav"});
  EXPECT_EQ(sounds, QDir(QStringLiteral(DH_BUILD_DIR "/sounds")).entryList({"*.wav"}));
  EXPECT_GT(sounds.size(), 30);
  EXPECT_TRUE(QFileInfo::exists(data + "/icons/hicolor/scalable/apps/dravenholt.svg"));
  QFile desktop(data + "/applications/dravenholt.desktop");
  ASSERT_TRUE(desktop.open(QIODevice::ReadOnly));
  const QString entry = QString::fromUtf8(desktop.readAll());
  for (const char* line :
       {"[Desktop Entry]", "Type=Application", "Name=Dravenholt", "Exec=dravenholt", "Icon=dravenholt"})
    EXPECT_TRUE(entry.contains(QString::fromLatin1(line))) << line;

  // Installed, the game finds its sounds and its browser relative to itself;
  // in the build tree, beside itself.
  EXPECT_EQ(GameDataDir(bin), QDir::cleanPath(data + "/dravenholt"));
  EXPECT_EQ(BrowserModulePaths(bin).at(1),
            prefix.filePath(QStringLiteral(DH_INSTALL_LIBDIR "/dravenholt/dravenholt-browser.so")));
  EXPECT_EQ(GameDataDir(QStringLiteral(DH_BUILD_DIR)), QStringLiteral(DH_BUILD_DIR));
  EXPECT_TRUE(QFileInfo::exists(BrowserModulePaths(QStringLiteral(DH_BUILD_DIR)).at(0)));
}

TEST(Install, TheGameNeverLinksQtWebEngine) {
  const QString game = Ldd(QStringLiteral(DH_BUILD_DIR "/dravenholt"));
  EXPECT_TRUE(game.contains("libQt6Widgets"));
  EXPECT_FALSE(game.contains("WebEngine")) << game.toStdString();
  EXPECT_TRUE(Ldd(QStringLiteral(DH_BUILD_DIR "/dravenholt-browser.so")).contains("libQt6WebEngineCore"));
}

}  // namespace
