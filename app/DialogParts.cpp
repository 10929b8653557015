#include "app/DialogParts.h"

#include "files/RecordProperties.h"
#include "views/ZoomLevels.h"

#include <QComboBox>
#include <QDialog>
#include <QHBoxLayout>
#include <QPushButton>

namespace kavrin {

QString dialogTitle(const QString& name) {
    return name + QStringLiteral(" | ") + QLatin1String(ProgramVersion);
}

OkCancelRow okCancelRow(QDialog& dialog, bool okAccepts) {
    OkCancelRow row{new QHBoxLayout, new QPushButton(QStringLiteral("&OK")),
                    new QPushButton(QStringLiteral("&Cancel"))};
    row.ok->setDefault(true);
    row.layout->addStretch();
    row.layout->addWidget(row.ok);
    row.layout->addWidget(row.cancel);
    if (okAccepts)
        QObject::connect(row.ok, &QPushButton::clicked, &dialog, &QDialog::accept);
    QObject::connect(row.cancel, &QPushButton::clicked, &dialog, &QDialog::reject);
    return row;
}

QComboBox* choiceCombo(const QStringList& items, int current) {
    auto* combo = new QComboBox;
    combo->addItems(items);
    combo->setCurrentIndex(current >= 0 && current < items.size() ? current : 0);
    return combo;
}

QStringList indicatorLevelLabels() {
    return {QStringLiteral("All Messages"), QStringLiteral("Warnings and Errors"),
            QStringLiteral("Errors only"), QStringLiteral("None")};
}

QStringList indicatorZoomLabels() {
    QStringList labels;
    for (int row = 0; row < FullRecordingZoom; ++row)
        labels.append(QLatin1String(ZoomLevels[size_t(row)].label));
    labels.append(QStringLiteral("Never"));
    return labels;
}

} // namespace kavrin
