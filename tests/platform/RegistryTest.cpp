// The registry stand-in answers the three calls as the About box expects, and
// the desktop look-up names a system-information program found on PATH.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <chrono>
#include <thread>

#include "platform/Desktop.h"
#include "platform/Registry.h"

using namespace reg;

namespace {

// Reading through GetKeyValue is tested with the About box; here, what it
// does not reach: keys below open keys, case, sizes and stale handles.
TEST(Registry, OpensKeysBelowOpenKeysAndForgetsClosedHandles) {
  Registry r;
  r.SetString(HKEY_LOCAL_MACHINE, "Software\\Tools\\Info", "Path", "/usr/bin/info");

  HKEY key = 99;
  EXPECT_EQ(r.OpenKeyEx(HKEY_CURRENT_USER, "Software\\Tools", 0, 0x2003F, &key), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(key, 0);
  ASSERT_EQ(r.OpenKeyEx(HKEY_LOCAL_MACHINE, "\\SOFTWARE\\tools\\", 0, 0x2003F, &key), ERROR_SUCCESS);
  HKEY child = 0;
  ASSERT_EQ(r.OpenKeyEx(key, "INFO", 0, 0x2003F, &child), ERROR_SUCCESS);

  uint32_t type = 0, size = 0;
  ASSERT_EQ(r.QueryValueEx(child, "PATH", &type, nullptr, &size), ERROR_SUCCESS);  // size only
  EXPECT_EQ(type, REG_SZ);
  EXPECT_EQ(size, 14u);  // the text and its NUL

  EXPECT_EQ(r.CloseKey(key), ERROR_SUCCESS);
  EXPECT_EQ(r.CloseKey(key), ERROR_INVALID_HANDLE);
  EXPECT_EQ(r.OpenKeyEx(key, "Info", 0, 0x2003F, &key), ERROR_INVALID_HANDLE);
  EXPECT_EQ(r.CloseKey(child), ERROR_SUCCESS);
  EXPECT_EQ(r.QueryValueEx(child, "Path", &type, nullptr, &size), ERROR_INVALID_HANDLE);
  EXPECT_EQ(r.OpenHandles(), 0u);
}

TEST(Desktop, FindsASystemInformationProgramOnPathAndAnswersTheKey) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString program = dir.filePath(QStringLiteral("kinfocenter"));
  const QString marker = dir.filePath(QStringLiteral("started"));
  QFile script(program);
  ASSERT_TRUE(script.open(QIODevice::WriteOnly));
  script.write(QStringLiteral("#!/bin/sh\ntouch '%1'\n").arg(marker).toUtf8());
  script.close();
  script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

  const QByteArray oldPath = qgetenv("PATH");
  qputenv("PATH", dir.path().toUtf8());
  const QString found = FindSystemInfoProgram();
  const QString none = FindSystemInfoProgram({QStringLiteral("hardinfo"), QStringLiteral("lshw-gtk")});
  qputenv("PATH", oldPath);
  EXPECT_EQ(found, program);
  EXPECT_EQ(none, "");

  Registry r;
  AnswerSystemInfoKey(r, found);
  HKEY key = 0;
  ASSERT_EQ(r.OpenKeyEx(HKEY_LOCAL_MACHINE, kSysInfoKey, 0, 0x2003F, &key), ERROR_SUCCESS);
  char buffer[1024];
  uint32_t type = 0, size = sizeof buffer;
  ASSERT_EQ(r.QueryValueEx(key, kSysInfoValue, &type, buffer, &size), ERROR_SUCCESS);
  EXPECT_EQ(QString::fromUtf8(buffer), program);
  AnswerSystemInfoKey(r, none);
  EXPECT_EQ(r.QueryValueEx(key, kSysInfoValue, &type, buffer, &size), ERROR_FILE_NOT_FOUND);

  // Launching starts the program as a process of its own.
  EXPECT_FALSE(LaunchProgram(QString()));
  EXPECT_FALSE(LaunchProgram(dir.filePath(QStringLiteral("missing"))));
  ASSERT_TRUE(LaunchProgram(program));
  for (int i = 0; i < 200 && !QFile::exists(marker); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_TRUE(QFile::exists(marker));
}

}  // namespace
