// Arbitrary bytes as the settings file (hand-edited, or imported from another version): every
// value is read with a sane fallback, and what is written back reads back as the same values.
#include "app/AppSettings.h"

#include <QDir>
#include <QFile>
#include <QSettings>

#include <cstdint>
#include <cstdlib>

namespace {

QString scratchFolder() {
    const QString shm = QStringLiteral("/dev/shm");
    return QDir(shm).exists() ? shm : QDir::tempPath();
}

// QSettings caches a file by its path and may not see a rewrite within the same second, so
// every input gets paths of its own.
QString scratchPath(const char* name, uint64_t run) {
    return scratchFolder() + QStringLiteral("/kavrin-fuzz-%1-%2-%3.ini")
                                 .arg(qint64(getpid()))
                                 .arg(run)
                                 .arg(QLatin1String(name));
}

void writeTo(const QString& path, const kavrin::AppSettings& settings) {
    QSettings file(path, QSettings::IniFormat);
    file.setAtomicSyncRequired(false); // a scratch file: no temporary copy, rename and fsync
    kavrin::writeSettings(file, settings);
    file.sync();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static uint64_t runs = 0;
    ++runs;
    const QString input = scratchPath("in", runs);
    const QString written = scratchPath("written", runs);
    {
        QFile file(input);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
            file.write(reinterpret_cast<const char*>(data), qint64(size)) != qint64(size))
            std::abort();
    }
    kavrin::AppSettings first;
    {
        QSettings file(input, QSettings::IniFormat);
        kavrin::readSettings(file, first);
    }
    writeTo(written, first);
    // Read back over a copy, so the keys that are never written keep their values.
    kavrin::AppSettings second = first;
    {
        QSettings file(written, QSettings::IniFormat);
        kavrin::readSettings(file, second);
    }
    for (const QString& path : {input, written})
        QFile::remove(path);
    if (!(second == first))
        std::abort();
    return 0;
}
