// Whole data files (header and stream) through the analysis pass, the load pass, window
// steps and saving. Worker and controller are connected directly, as in the command-line
// tool, so each pass runs inside the call that starts it. The file is read from memory and
// saved into memory: nothing touches the disk.
#include "engine/RecordingEngine.h"
#include "files/DataFileWriter.h"
#include "files/FileLoadWorker.h"
#include "files/LoadController.h"
#include "files/LoadedDataFile.h"
#include "files/LoaderThread.h"
#include "files/RecordProperties.h"

#include <QBuffer>

#include <cstdint>
#include <cstdlib>
#include <memory>

using namespace kavrin;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray input =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    const QString name = QStringLiteral("fuzz.KVDat");

    // One engine for every input, reset as opening a file resets it: its buffers are allocated
    // once.
    static RecordingEngine engine;
    LoadedDataFile dataFile;
    RecordProperties properties;
    LoadSession session(engine, dataFile);
    LoadController controller(session, properties);
    FileLoadWorker worker(session);
    connectLoader(controller, worker, Qt::DirectConnection);

    engine.window = {128, 32}; // short files step the window forward and back too
    engine.overview.setBinCount(64);
    engine.resetAll();
    engine.registerBuiltInContexts();
    auto buffer = std::make_unique<QBuffer>();
    buffer->setData(input);
    dataFile.attach(std::move(buffer), name);
    if (!controller.analyzeFile(name))
        std::abort(); // a buffer always opens
    if (controller.busy())
        std::abort(); // direct connections finish both passes inside analyzeFile
    while (controller.loadDataAfter()) {
    }
    for (int step = 0; step < 3 && controller.loadDataBefore(); ++step) {
    }
    controller.loadDataAfter();

    // What is saved is the header and the stream exactly as read.
    QByteArray saved;
    QBuffer out(&saved);
    out.open(QIODevice::WriteOnly);
    QString error;
    if (!writeDataFile(out, &properties, {.loadedFile = &dataFile}, &error))
        std::abort();
    if (dataFile.isLoaded() && !saved.endsWith(input.mid(dataFile.headerLength())))
        std::abort();
    return 0;
}
