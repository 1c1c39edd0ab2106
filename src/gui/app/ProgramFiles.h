#pragma once

#include <QString>

namespace curvana {

// Where the program finds a file it reads at run time, such as its help file: beside its own
// executable first, so that a build folder works as it is, then in the data folder of the tree it
// is installed in (share/curvana beside bin/), so that an installed copy works wherever its tree
// was put. When the file is in neither, the path beside the executable.
QString ProgramDataFile(const QString& programFolder, const QString& name);

}  // namespace curvana
