// The program's version record: the one place the splash, the About box and
// the homepage window take the version and the maker's lines from. The numbers
// come from the project's version in CMakeLists.txt (3.0.0.4: major 3, minor 0,
// revision 4). The maker is a studio of our own invention, named after the
// game, on a reserved ".example" domain: it names no real company or person.
#pragma once

#include <QString>

namespace VersionInfo {

inline constexpr int Major = DH_VERSION_MAJOR;
inline constexpr int Minor = DH_VERSION_MINOR;
inline constexpr int Revision = DH_VERSION_REVISION;

inline constexpr const char* ProductName = "Dravenholt";
inline constexpr const char* Comments = "Turn Based Tank Strategy";  // shown nowhere
inline constexpr const char* CompanyName = "Dravenholt Works";
inline constexpr const char* LegalTrademarks = "Dravenholt\u2122";
inline constexpr const char* LegalCopyright = "\u00A9 2026 Dravenholt Works";
inline constexpr const char* FileDescription = "";  // the record has none

// The maker's web site and e-mail, as the About box's links show them.
inline constexpr const char* MakerWebAddress = "http://www.dh-works.example/";
inline constexpr const char* MakerMailAddress = "mailto:studio@dh-works.example";

// "3.0.4": major, minor and revision, in decimal without blanks.
inline QString Numbers() { return QStringLiteral("%1.%2.%3").arg(Major).arg(Minor).arg(Revision); }

}  // namespace VersionInfo
