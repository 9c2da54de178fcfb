#include "platform/Desktop.h"

#include <QDesktopServices>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

#include "platform/Registry.h"

bool OpenLink(const QString& address) { return QDesktopServices::openUrl(QUrl(address)); }

bool LaunchProgram(const QString& path) { return !path.isEmpty() && QProcess::startDetached(path, {}); }

QStringList SystemInfoPrograms() {
  return {QStringLiteral("hardinfo2"),
          QStringLiteral("hardinfo"),
          QStringLiteral("kinfocenter"),
          QStringLiteral("lshw-gtk"),
          QStringLiteral("gnome-system-monitor"),
          QStringLiteral("mate-system-monitor"),
          QStringLiteral("xfce4-taskmanager")};
}

QString FindSystemInfoProgram(const QStringList& names) {
  for (const QString& name : names) {
    const QString path = QStandardPaths::findExecutable(name);
    if (!path.isEmpty()) return path;
  }
  return {};
}

void AnswerSystemInfoKey(reg::Registry& registry, const QString& program) {
  if (program.isEmpty())
    registry.DeleteValue(reg::HKEY_LOCAL_MACHINE, kSysInfoKey, kSysInfoValue);
  else
    registry.SetString(reg::HKEY_LOCAL_MACHINE, kSysInfoKey, kSysInfoValue, QFile::encodeName(program).toStdString());
}
