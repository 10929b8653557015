#include "recorder/ModalMessage.h"

#include <QApplication>

#include <cstdio>

namespace kavrin {

bool haveWidgetApplication() {
    return qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr;
}

void showModalMessage(QMessageBox::Icon icon, const QString& title, const QString& text) {
    if (!haveWidgetApplication()) {
        std::fprintf(stderr, "%s: %s\n", qPrintable(title), qPrintable(text));
        return;
    }
    onGuiThread([&] {
        QMessageBox box(icon, title, text, QMessageBox::Ok);
        box.setWindowModality(Qt::ApplicationModal);
        box.setWindowFlag(Qt::WindowStaysOnTopHint);
        return box.exec();
    });
}

} // namespace kavrin
