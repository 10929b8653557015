// Saving recordings and their properties (title, author, description).
#include "app/KavrinMainWindow.h"

#include "app/PropertiesDialog.h"
#include "files/DataFileHeader.h"
#include "files/DataFileWriter.h"
#include "recorder/LiveRecorder.h"

namespace kavrin {

namespace {

const QString KVDatExtension = QStringLiteral(".KVDat");

} // namespace

void KavrinMainWindow::save() {
    if (refuseWhileLoading())
        return;
    finishRecordingNow();
    const Preferences& preferences = settings_.preferences;
    if (preferences.showRecordingPropertiesDialog && preferences.saveRecordProperties &&
        properties_.title.isEmpty() && !SetProperties())
        return;
    QString name = prompts.saveFileName();
    if (name.isEmpty())
        return;
    if (name.lastIndexOf(KVDatExtension, -1, Qt::CaseInsensitive) < 0)
        name += KVDatExtension;
    SaveFile(name);
}

void KavrinMainWindow::SaveFile(QString Filename) {
    // A loaded file, else the live recording's file or stream buffer.
    RecordingStream stream = recorder_->streamForSaving();
    stream.loadedFile = &dataFile_;
    const SaveResult result =
        saveDataFile(Filename, settings_.preferences.saveRecordProperties ? &properties_ : nullptr,
                     stream, [this](const QString& error) { log_.error(error); });
    if (!result.saved) {
        // A failed save must not pass for a saved recording.
        prompts.inform(QStringLiteral("The recording was not saved: %1").arg(result.error));
        return;
    }
    log_.message(QStringLiteral("Saved %1").arg(Filename));
    UpdateMRUFiles(Filename);
}

bool KavrinMainWindow::SetProperties() {
    if (properties_.author.isEmpty())
        properties_.author = loginName();
    RecordProperties edited = properties_;
    if (!prompts.editProperties(edited))
        return false;
    properties_ = edited;
    showProperties();
    return true;
}

bool KavrinMainWindow::GetProperties() {
    if (dataFile_.isLoaded())
        dataFile_.setHeaderLength(
            readHeader(dataFile_.window(), dataFile_.windowLength(), properties_));
    showProperties();
    return true;
}

void KavrinMainWindow::showProperties() {
    SystemInfoTable& info = presentation_.systemInfo;
    info.setRowText(SystemInfoRow::HostTime, properties_.hostTimeText());
    info.setRowText(SystemInfoRow::Title, properties_.title);
    info.setRowText(SystemInfoRow::Author, properties_.author);
    info.setRowText(SystemInfoRow::Description, properties_.descriptionSummary());
}

} // namespace kavrin
