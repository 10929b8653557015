#pragma once

#include <QDir>
#include <QString>

namespace kavrin {

// Where an installation puts what a build places beside the programs: the executables are in
// PREFIX/bin, the description files, samples and manual in PREFIX/share/kavrin and the probe
// library in PREFIX/lib/kavrin. Found relative to the executable, so any prefix works.
inline QString installedDataDir(const QString& applicationDir) {
    return QDir::cleanPath(applicationDir + QStringLiteral("/../share/kavrin"));
}

inline QString installedLibraryDir(const QString& applicationDir) {
    return QDir::cleanPath(applicationDir + QStringLiteral("/../lib/kavrin"));
}

} // namespace kavrin
