#pragma once

#include <QDir>
#include <QString>

namespace kavrin {

// Where an installation puts the description files, samples and manual that a build places
// beside the programs: PREFIX/share/kavrin for programs in PREFIX/bin. Found relative to the
// executable, so any prefix works. (The probe library's place is the recorder's business.)
inline QString installedDataDir(const QString& applicationDir) {
    return QDir::cleanPath(applicationDir + QStringLiteral("/../share/kavrin"));
}

} // namespace kavrin
