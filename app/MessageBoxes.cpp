#include "app/MessageBoxes.h"

#include <QApplication>
#include <QMessageBox>
#include <QThread>

#include <cstdio>

namespace kavrin {

namespace {

bool haveGui() {
    return qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr;
}

// Runs `show` on the GUI thread and returns its result.
template <typename Show> auto onGuiThread(Show show) {
    QCoreApplication* application = QCoreApplication::instance();
    if (QThread::currentThread() == application->thread())
        return show();
    decltype(show()) result{};
    QMetaObject::invokeMethod(
        application, [&result, &show] { result = show(); }, Qt::BlockingQueuedConnection);
    return result;
}

QString title() {
    return QString::fromLatin1(MessageBoxTitle);
}

} // namespace

void showMessage(const QString& text) {
    if (!haveGui()) {
        std::fprintf(stderr, "%s\n", qUtf8Printable(text));
        return;
    }
    onGuiThread([&text] { return QMessageBox::information(nullptr, title(), text); });
}

bool askYesNo(const QString& text) {
    if (!haveGui()) {
        std::fprintf(stderr, "%s\n", qUtf8Printable(text));
        return false;
    }
    return onGuiThread([&text] {
        return QMessageBox::question(nullptr, title(), text, QMessageBox::Yes | QMessageBox::No) ==
               QMessageBox::Yes;
    });
}

} // namespace kavrin
