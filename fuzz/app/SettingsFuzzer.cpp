// Arbitrary bytes as the settings file (hand-edited, or imported from another version): every
// value is read with a sane fallback, and what is written back reads back the same.
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

kavrin::AppSettings readFrom(const QString& path) {
    QSettings file(path, QSettings::IniFormat);
    kavrin::AppSettings settings;
    kavrin::readSettings(file, settings);
    return settings;
}

void writeTo(const QString& path, const kavrin::AppSettings& settings) {
    QFile::remove(path);
    QSettings file(path, QSettings::IniFormat);
    kavrin::writeSettings(file, settings);
    file.sync();
}

QMap<QString, QVariant> contentOf(const QString& path) {
    QSettings file(path, QSettings::IniFormat);
    QMap<QString, QVariant> content;
    for (const QString& key : file.allKeys())
        content.insert(key, file.value(key));
    return content;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static uint64_t runs = 0;
    ++runs;
    const QString input = scratchPath("in", runs);
    const QString first = scratchPath("first", runs);
    const QString second = scratchPath("second", runs);
    {
        QFile file(input);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
            file.write(reinterpret_cast<const char*>(data), qint64(size)) != qint64(size))
            std::abort();
    }
    writeTo(first, readFrom(input));
    writeTo(second, readFrom(first));
    const bool stable = contentOf(first) == contentOf(second);
    for (const QString& path : {input, first, second})
        QFile::remove(path);
    if (!stable)
        std::abort();
    return 0;
}
