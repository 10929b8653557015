#include "recorder/ModalMessage.h"

#include <QApplication>
#include <QThread>

#include <cstdio>

namespace kavrin {

namespace {

void showOnGuiThread(QMessageBox::Icon icon, const QString& title, const QString& text) {
    QMessageBox box(icon, title, text, QMessageBox::Ok);
    box.setWindowModality(Qt::ApplicationModal);
    box.setWindowFlag(Qt::WindowStaysOnTopHint);
    box.exec();
}

} // namespace

void showModalMessage(QMessageBox::Icon icon, const QString& title, const QString& text) {
    auto* application = qobject_cast<QApplication*>(QCoreApplication::instance());
    if (!application) {
        std::fprintf(stderr, "%s: %s\n", qPrintable(title), qPrintable(text));
        return;
    }
    if (QThread::currentThread() == application->thread()) {
        showOnGuiThread(icon, title, text);
        return;
    }
    QMetaObject::invokeMethod(
        application, [&] { showOnGuiThread(icon, title, text); }, Qt::BlockingQueuedConnection);
}

} // namespace kavrin
