#include "cli/Recording.h"

#include "cli/ProgressLine.h"
#include "files/LoaderThread.h"

#include <QCoreApplication>

namespace kavrin::cli {

Recording::Recording(int resolution, bool systemTime, std::FILE* messages)
    : log_([messages](const QString& line) {
          std::fprintf(messages, "%s\n", line.toUtf8().constData());
      }),
      progress_(std::make_unique<ProgressLine>(messages)) {
    connectLoader(controller_, worker_, Qt::DirectConnection);
    worker_.setChunkSizeAfterTimeBase(FileLoadWorker::InlineChunkSize);
    presentation_.display.resolution = resolution;
    presentation_.display.systemTime = systemTime;
    wireEngine(engine_, presentation_, log_, {}, QCoreApplication::applicationDirPath());

    QObject::connect(&controller_, &LoadController::logInfo,
                     [this](const QString& line) { log_.message(line); });
    QObject::connect(&controller_, &LoadController::propertiesRead, [this] { showProperties(); });
    // Requested once, when the analysis pass is done and before its figures are reset.
    QObject::connect(&controller_, &LoadController::updateStatsRequested, [this] {
        refreshStatistics();
        analysed_ = captureFigures(engine_, presentation_);
    });
    QObject::connect(&controller_, &LoadController::progressStarted,
                     [this](const QString& label, uint, uint) { progress_->start(label); });
    QObject::connect(&controller_, &LoadController::progressChanged,
                     [this](uint value, uint) { progress_->update(value); });
    QObject::connect(&controller_, &LoadController::progressFinished,
                     [this] { progress_->finish(); });

    // The reset of all data that precedes opening a file.
    engine_.resetAll();
    presentation_.reset();
    properties_.clear();
    engine_.registerBuiltInContexts();
}

Recording::~Recording() = default;

bool Recording::open(const QString& path, QString* error) {
    if (!controller_.analyzeFile(path, error))
        return false;
    refreshStatistics();
    return true;
}

void Recording::refreshStatistics() {
    kavrin::refreshStatistics(engine_, presentation_, file_.fileSize() - file_.headerLength());
}

void Recording::showProperties() {
    SystemInfoTable& info = presentation_.systemInfo;
    info.setRowText(SystemInfoRow::HostTime, properties_.hostTimeText());
    info.setRowText(SystemInfoRow::Title, properties_.title);
    info.setRowText(SystemInfoRow::Author, properties_.author);
    info.setRowText(SystemInfoRow::Description, properties_.descriptionSummary());
}

bool Recording::stepForward() {
    return controller_.loadDataAfter();
}

void Recording::rewind() {
    while (controller_.loadDataBefore()) {
    }
}

bool Recording::moveTo(uint32_t index) {
    const EventStore& store = engine_.store;
    while (store.first() && index < store.first()->record.index && controller_.loadDataBefore()) {
    }
    while (store.last() && index > store.last()->record.index && stepForward()) {
    }
    return store.last() && store.last()->record.index >= index;
}

QString Recording::streamStopText() const {
    const StreamStopInfo& stop = controller_.streamStop();
    if (stop.reason == StreamStop::None || stop.reason == StreamStop::ReadError)
        return {};
    const QString found =
        controller_.holdsNoRecording() ? QStringLiteral("no recording found: ") : QString();
    if (stop.reason == StreamStop::NoStartPacket)
        return found + QStringLiteral("the stream has no Start packet: nothing is decodable from "
                                      "stream offset 0 (file offset %1, event index 0)")
                           .arg(stop.offset);
    QString why = streamStopCause(stop.reason, {});
    if (const QString damage = streamDamageText(stop); !damage.isEmpty())
        why += QStringLiteral(", ") + damage;
    return found + QStringLiteral("the stream stops being decodable at stream offset %1 (file "
                                  "offset %2, event index %3): %4")
                       .arg(stop.offset - file_.headerLength())
                       .arg(stop.offset)
                       .arg(stop.eventIndex)
                       .arg(why);
}

QString Recording::readErrorText() const {
    if (file_.readError().isEmpty())
        return {};
    return QStringLiteral("cannot read %1: %2").arg(file_.fileName(), file_.readError());
}

} // namespace kavrin::cli
