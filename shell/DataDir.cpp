#include "shell/DataDir.h"

#include <QDir>
#include <QFileInfo>

QString GameDataDir(const QString& exeDir) {
  const QDir here(exeDir);
  if (QFileInfo(here.filePath(QStringLiteral("sounds"))).isDir()) return exeDir;
  const QString installed = QDir::cleanPath(here.filePath(QStringLiteral(DH_DATA_DIR_FROM_BIN)));
  if (QFileInfo(QDir(installed).filePath(QStringLiteral("sounds"))).isDir()) return installed;
  return exeDir;
}
