// Whole data files (header and stream) through the analysis pass, the load pass, window
// steps and saving. Worker and controller are connected directly, as in the command-line
// tool, so each pass runs inside the call that starts it.
#include "engine/RecordingEngine.h"
#include "files/DataFileWriter.h"
#include "files/FileLoadWorker.h"
#include "files/LoadController.h"
#include "files/LoadedDataFile.h"
#include "files/LoaderThread.h"
#include "files/RecordProperties.h"

#include <QDir>
#include <QFile>

#include <cstdint>
#include <cstdlib>

using namespace kavrin;

namespace {

QString scratchPath(const char* name) {
    return QDir::tempPath() +
           QStringLiteral("/kavrin-fuzz-%1-%2").arg(qint64(getpid())).arg(QLatin1String(name));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const QString input = scratchPath("in.KVDat");
    static const QString output = scratchPath("out.KVDat");
    {
        QFile file(input);
        if (!file.open(QIODevice::WriteOnly) ||
            file.write(reinterpret_cast<const char*>(data), qint64(size)) != qint64(size))
            std::abort();
    }

    RecordingEngine engine;
    LoadedDataFile dataFile;
    RecordProperties properties;
    LoadSession session(engine, dataFile);
    LoadController controller(session, properties);
    FileLoadWorker worker(session);
    connectLoader(controller, worker, Qt::DirectConnection);

    engine.window = {512, 64}; // short files step the window forward and back too
    engine.resetAll();
    engine.registerBuiltInContexts();
    if (!controller.analyzeFile(input))
        std::abort(); // the file was just written
    if (controller.busy())
        std::abort(); // direct connections finish both passes inside analyzeFile
    while (controller.loadDataAfter()) {
    }
    for (int step = 0; step < 3 && controller.loadDataBefore(); ++step) {
    }
    controller.loadDataAfter();

    // What is saved is the header and the stream exactly as read.
    if (!saveDataFile(output, &properties, {.loadedFile = &dataFile}).saved)
        std::abort();
    QFile saved(output);
    if (!saved.open(QIODevice::ReadOnly))
        std::abort();
    const QByteArray bytes = saved.readAll();
    const uint32_t headerLength = dataFile.headerLength();
    const QByteArray stream(reinterpret_cast<const char*>(data) + headerLength,
                            qsizetype(size - headerLength));
    if (dataFile.isLoaded() && !bytes.endsWith(stream))
        std::abort();
    return 0;
}
