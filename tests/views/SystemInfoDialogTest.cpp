#include "views/SystemInfoDialog.h"

#include "presentation/SystemInfoTable.h"
#include "presentation/models/SystemInfoModel.h"

#include <QPushButton>
#include <QTest>
#include <QTreeView>

using namespace kavrin;

class SystemInfoDialogTest : public QObject {
    Q_OBJECT

private slots:
    void summaryDialogShowsTheOverflowLineOnlyWhenNeeded();
};

void SystemInfoDialogTest::summaryDialogShowsTheOverflowLineOnlyWhenNeeded() {
    SystemInfoTable table;
    SystemInfoModel model(table);
    SystemInfoDialog plain(model, QStringLiteral("250000 Events loaded successfully."), {});
    QCOMPARE(plain.windowTitle(), QStringLiteral("System Information | Norvan Kavrin V2.37a"));
    QCOMPARE(plain.findChildren<QPushButton*>().size(), 1);
    bool explained = false;
    SystemInfoDialog lossy(model, QStringLiteral("x"), overflowLineText(2, 12));
    lossy.explainOverflows = [&explained] { explained = true; };
    const QList<QPushButton*> buttons = lossy.findChildren<QPushButton*>();
    QCOMPARE(buttons.size(), 2);
    QCOMPARE(buttons[0]->text(), QStringLiteral("&About Overflows"));
    buttons[0]->click();
    QVERIFY(explained);
    QVERIFY(lossy.tree()->isExpanded(model.index(0, 0)));
}

QTEST_MAIN(SystemInfoDialogTest)
#include "SystemInfoDialogTest.moc"
