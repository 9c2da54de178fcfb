// The desktop services the About box calls: open a link with the desktop's
// default handler, start a program by its path, and tell which
// system-information program this desktop has.
#pragma once

#include <QString>
#include <QStringList>

namespace reg {
class Registry;
}

// Where the About box looks for the system-information program: first this
// key's "PATH" value, the program itself; then the folder in the second key.
inline constexpr const char* kSysInfoKey = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
inline constexpr const char* kSysInfoValue = "PATH";
inline constexpr const char* kSysInfoLocationKey = "SOFTWARE\\Microsoft\\Shared Tools Location";
inline constexpr const char* kSysInfoLocationValue = "MSINFO";

// Hands a web or "mailto:" address to the desktop's default handler; false
// when nothing took it.
bool OpenLink(const QString& address);

// Starts the program at path as a process of its own, detached from the game,
// so it outlives the About box and the game; false when it could not start.
bool LaunchProgram(const QString& path);

// System-information programs of Linux desktops, the most telling first.
QStringList SystemInfoPrograms();

// The full path of the first of names found on PATH, or "" when none is there.
QString FindSystemInfoProgram(const QStringList& names = SystemInfoPrograms());

// Answers the first key with program's path, or removes that value when
// program is empty: the registry says what this desktop has.
void AnswerSystemInfoKey(reg::Registry& registry, const QString& program);
