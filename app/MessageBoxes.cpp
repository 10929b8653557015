#include "app/MessageBoxes.h"

#include "recorder/ModalMessage.h"

#include <QMessageBox>

#include <cstdio>

namespace kavrin {

namespace {

QString title() {
    return QString::fromLatin1(MessageBoxTitle);
}

} // namespace

void showMessage(const QString& text) {
    if (!haveWidgetApplication()) {
        std::fprintf(stderr, "%s\n", qUtf8Printable(text));
        return;
    }
    onGuiThread([&text] { return QMessageBox::information(nullptr, title(), text); });
}

bool askYesNo(const QString& text) {
    if (!haveWidgetApplication()) {
        std::fprintf(stderr, "%s\n", qUtf8Printable(text));
        return false;
    }
    return onGuiThread([&text] {
        return QMessageBox::question(nullptr, title(), text, QMessageBox::Yes | QMessageBox::No) ==
               QMessageBox::Yes;
    });
}

} // namespace kavrin
