#pragma once

#include <QMessageBox>
#include <QString>

namespace kavrin {

// Shows a modal, always-on-top message box with one OK button from any thread: on the GUI
// thread directly, from other threads through a blocking call onto the GUI thread. Without a
// widget application (command-line use) the message goes to stderr instead.
void showModalMessage(QMessageBox::Icon icon, const QString& title, const QString& text);

} // namespace kavrin
