#include "files/DataFileWriter.h"

#include "files/DataFileHeader.h"
#include "files/LoadedDataFile.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>

namespace kavrin {

namespace {

// Copies the whole recording file from its start in 1 MiB blocks; leaves its position at
// the end, where the recorder appends.
bool copyRecordingFile(QFile& recording, QIODevice& out, QString* error) {
    if (!recording.isOpen() && !recording.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("cannot reopen the recording file %1: %2")
                     .arg(recording.fileName(), recording.errorString());
        return false;
    }
    recording.flush();
    if (!recording.seek(0)) {
        *error = QStringLiteral("cannot read the recording file: %1").arg(recording.errorString());
        return false;
    }
    for (;;) {
        const QByteArray block = recording.read(LoadedDataFile::CopyBlockSize);
        if (!block.isEmpty() && out.write(block) != block.size()) {
            *error = out.errorString();
            return false;
        }
        if (block.size() < qsizetype(LoadedDataFile::CopyBlockSize))
            break;
    }
    recording.seek(recording.size());
    return true;
}

bool writeStream(const RecordingStream& stream, QIODevice& out, QString* error) {
    if (stream.loadedFile && stream.loadedFile->isLoaded())
        return stream.loadedFile->copyStreamTo(out, error);
    if (stream.recordingFile)
        return copyRecordingFile(*stream.recordingFile, out, error);
    if (stream.buffer && stream.bufferLength > 0) {
        const auto length = qint64(stream.bufferLength);
        if (out.write(reinterpret_cast<const char*>(stream.buffer), length) != length) {
            *error = out.errorString();
            return false;
        }
    }
    return true;
}

} // namespace

QString recordingFileTemplate() {
    QString path = QDir::tempPath();
    if (!path.endsWith(QLatin1Char('/')) && !path.endsWith(QLatin1Char('\\')))
        path += QLatin1Char('/');
    return path + QStringLiteral("KVXXXXXX.KVDat");
}

bool writeDataFile(QIODevice& out, const RecordProperties* header, const RecordingStream& stream,
                   QString* error) {
    if (header && out.write(composeHeader(*header)) < 0) {
        *error = out.errorString();
        return false;
    }
    return writeStream(stream, out, error);
}

SaveResult saveDataFile(const QString& fileName, const RecordProperties* header,
                        const RecordingStream& stream,
                        const std::function<void(const QString&)>& logError) {
    SaveResult result;
    // Not committed, the partial file is discarded when `out` goes.
    QSaveFile out(fileName);
    QString error;
    if (!out.open(QIODevice::WriteOnly))
        error = out.errorString();
    else if (writeDataFile(out, header, stream, &error) && !out.commit())
        error = out.errorString();
    result.saved = error.isEmpty();
    if (!result.saved) {
        result.error = QStringLiteral("Cannot save %1: %2").arg(fileName, error);
        if (logError)
            logError(result.error);
    }
    return result;
}

} // namespace kavrin
