#pragma once

#include <QString>

#include <cstdint>

// The texts the recording session shows, so that the window and kavrin-cli say the same.
namespace kavrin::recorderText {

// Title of every recording message box but the internal error.
QString title();
QString internalErrorTitle();

// The connect attempt failed with this code of the recorder thread.
QString connectFailure(int32_t code);
// A running recording broke off with this code of the recorder thread.
QString breakOff(int32_t code);
// The recorder thread did not take a command within the wait.
QString commandNotTaken();
// Connecting without a recorder thread.
QString recorderNotStarted();
QString readFailed();
QString readDone(int64_t bytes);
QString invalidSerialNumber();
QString invalidControlBlockAddress();
// Log lines at message level.
QString recordingStarted();
QString recordingStopped();

} // namespace kavrin::recorderText
