#include "recorder/RecorderMessages.h"

#include "recorder/TargetChannel.h"
#include "recorder/ZTXThread.h"

namespace kavrin::recorderText {

QString title() {
    return QStringLiteral("Kavrin");
}

QString internalErrorTitle() {
    return QStringLiteral("Kavrin internal error");
}

QString connectFailure(int32_t code) {
    switch (code) {
    case TargetChannel::NoControlBlock:
        return QStringLiteral("Failed to start recording.\nZTX Control Block not found.");
    case TargetChannel::ConnectFailed:
        return QStringLiteral("Failed to start recording.\nCould not connect.");
    case TargetChannel::ChannelQueryFailed:
        return QStringLiteral("Failed to start recording. Kavrin Channel not found.");
    default:
        return QStringLiteral("Failed to start recording.\nPossible reasons:\n"
                              " - Vantar or target not connected.\n - Target not running.\n"
                              " - KAVRIN module not configured.");
    }
}

QString breakOff(int32_t code) {
    switch (code) {
    case IncompletePacketReceived:
        return QStringLiteral("Incomplete packet received.\nRecording stopped.");
    case InvalidPacketReceived:
        return QStringLiteral("Invalid packet received.\nRecording stopped.");
    case StreamMemoryExhausted:
        return QStringLiteral("Not enough memory to keep more of the recording.\n"
                              "Recording stopped; everything received can be saved.");
    default:
        return QStringLiteral("Recording stopped.\nPossible reasons:\n"
                              " - Connection to target lost.\n - Host debug session stopped.\n"
                              "ErrCode: %1")
            .arg(code);
    }
}

QString commandNotTaken() {
    return QStringLiteral("Cannot send command to target.Possible reasons:\n"
                          " - Connection to target lost.\n - Host debug session stopped.\n"
                          " - Target application halted.");
}

QString recorderNotStarted() {
    return QStringLiteral("Recorder not started!");
}

QString readFailed() {
    return QStringLiteral("Cannot read recording data.");
}

QString readDone(int64_t bytes) {
    return QStringLiteral("%1 Bytes recording data read from target system.").arg(bytes);
}

QString invalidSerialNumber() {
    return QStringLiteral("Invalid Serial No.");
}

QString invalidControlBlockAddress() {
    return QStringLiteral("Invalid ZTX Control Block Address");
}

QString recordingStarted() {
    return QStringLiteral("Recording started.");
}

QString recordingStopped() {
    return QStringLiteral("Recording stopped");
}

} // namespace kavrin::recorderText
