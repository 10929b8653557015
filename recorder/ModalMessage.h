#pragma once

#include <QCoreApplication>
#include <QMessageBox>
#include <QString>
#include <QThread>

namespace kavrin {

// Whether message boxes can be shown (a widget application exists); command-line use has none.
bool haveWidgetApplication();

// Runs `show` on the GUI thread and returns its result: directly on the GUI thread, from other
// threads through a blocking call onto it.
template <typename Show> auto onGuiThread(Show show) {
    QCoreApplication* application = QCoreApplication::instance();
    if (QThread::currentThread() == application->thread())
        return show();
    decltype(show()) result{};
    QMetaObject::invokeMethod(
        application, [&result, &show] { result = show(); }, Qt::BlockingQueuedConnection);
    return result;
}

// Shows a modal, always-on-top message box with one OK button from any thread. Without a
// widget application the message goes to stderr instead.
void showModalMessage(QMessageBox::Icon icon, const QString& title, const QString& text);

} // namespace kavrin
