#include "app/ProgramFiles.h"

#include <QDir>
#include <QFileInfo>

// The installed data folder as seen from the installed executable's folder; the build sets it
// from its install layout.
#ifndef CURVANA_DATA_FROM_BIN
#define CURVANA_DATA_FROM_BIN "../share/curvana"
#endif

namespace curvana {

QString ProgramDataFile(const QString& programFolder, const QString& name) {
    const QDir folder(programFolder);
    const QString beside = folder.filePath(name);
    if (QFileInfo::exists(beside)) return beside;
    const QString installed = QDir::cleanPath(folder.filePath(CURVANA_DATA_FROM_BIN "/" + name));
    return QFileInfo::exists(installed) ? installed : beside;
}

}  // namespace curvana
