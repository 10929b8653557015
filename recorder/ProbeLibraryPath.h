#pragma once

#include <QString>

namespace kavrin {

// A path split the way the probe library's location is built: both "\" and "/" separate.
struct SplitPath {
    QString drive;     // up to and including a ":" before the first separator
    QString directory; // with its separators
    QString name;
    QString extension; // after the last "." of the last component, without the dot
};

SplitPath splitPath(const QString& path);
// Drive, directory (given separators at both ends), name and extension put together again.
QString joinPath(const QString& drive, const QString& directory, const QString& name,
                 const QString& extension);
// The probe library in the folder part of `path`: its last component is replaced.
QString probeLibraryBeside(const QString& path);
// Where an installation puts the probe library for the program `executablePath`:
// PREFIX/lib/kavrin for programs in PREFIX/bin.
QString installedProbeLibrary(const QString& executablePath);

} // namespace kavrin
