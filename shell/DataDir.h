// Where the game finds its data (the `sounds` folder).
#pragma once

#include <QString>

// The executable's own folder when a `sounds` folder is beside it (the build
// tree, or a copy unpacked anywhere), else the installed data folder relative
// to it (../share/dravenholt under bin/), else the executable's folder.
QString GameDataDir(const QString& exeDir);
