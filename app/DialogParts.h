#pragma once

#include <QString>
#include <QStringList>

class QComboBox;
class QDialog;
class QHBoxLayout;
class QPushButton;

namespace kavrin {

// "<name> | Norvan Kavrin V2.37a", the title of the program's dialogs.
QString dialogTitle(const QString& name);

// "&OK" (the default button) and "&Cancel" at the right of a row. Cancel rejects; OK accepts
// unless the dialog validates first, in which case the caller connects `ok` itself.
struct OkCancelRow {
    QHBoxLayout* layout;
    QPushButton* ok;
    QPushButton* cancel;
};
OkCancelRow okCancelRow(QDialog& dialog, bool okAccepts = true);

// A combo box of `items` showing `current`, or the first item when `current` is not one.
QComboBox* choiceCombo(const QStringList& items, int current);

// The message indicator choices, as Preferences and Message Indicators list them: which
// severities ("All Messages" ... "None") and up to which zoom row (the 21 zoom labels up to
// "View 60s", then "Never" at index 21).
QStringList indicatorLevelLabels();
QStringList indicatorZoomLabels();

} // namespace kavrin
