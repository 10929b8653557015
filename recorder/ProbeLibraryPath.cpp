#include "recorder/ProbeLibraryPath.h"

#include <QDir>
#include <QFileInfo>

namespace kavrin {

namespace {
const QString LibraryName = QStringLiteral("libVantarARM");
const QString LibraryExtension = QStringLiteral("so");
const QChar Separator = QLatin1Char('/');

bool isSeparator(QChar c) {
    return c == QLatin1Char('/') || c == QLatin1Char('\\');
}

qsizetype lastSeparator(const QString& path) {
    return std::max(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\')));
}
} // namespace

SplitPath splitPath(const QString& path) {
    SplitPath parts;
    qsizetype firstSeparator = -1;
    for (qsizetype i = 0; i < path.size() && firstSeparator < 0; ++i) {
        if (isSeparator(path[i]))
            firstSeparator = i;
    }
    const qsizetype colon = path.indexOf(QLatin1Char(':'));
    const qsizetype driveEnd =
        colon >= 0 && (firstSeparator < 0 || colon < firstSeparator) ? colon + 1 : 0;
    parts.drive = path.left(driveEnd);

    const qsizetype nameStart = std::max(lastSeparator(path) + 1, driveEnd);
    const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    const qsizetype nameEnd = dot >= nameStart ? dot : path.size();
    parts.directory = path.mid(driveEnd, nameStart - driveEnd);
    parts.name = path.mid(nameStart, nameEnd - nameStart);
    parts.extension = dot >= nameStart ? path.mid(dot + 1) : QString();
    return parts;
}

QString joinPath(const QString& drive, const QString& directory, const QString& name,
                 const QString& extension) {
    QString path = drive;
    if (!drive.isEmpty() && !drive.endsWith(QLatin1Char(':')))
        path += QLatin1Char(':');
    if (directory.isEmpty() || !isSeparator(directory.front()))
        path += Separator;
    path += directory;
    if (!directory.isEmpty() && !isSeparator(directory.back()))
        path += Separator;
    path += name;
    if (!extension.startsWith(QLatin1Char('.')))
        path += QLatin1Char('.');
    return path + extension;
}

QString probeLibraryBeside(const QString& path) {
    const SplitPath parts = splitPath(path);
    return joinPath(parts.drive, parts.directory, LibraryName, LibraryExtension);
}

QString installedProbeLibrary(const QString& executablePath) {
    const QString folder = QFileInfo(executablePath).absolutePath();
    return QDir::cleanPath(folder + QStringLiteral("/../lib/kavrin/")) + Separator + LibraryName +
           QLatin1Char('.') + LibraryExtension;
}

} // namespace kavrin
