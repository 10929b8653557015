// The dialogs on their own: what they show, what they accept and what they give back.
#include "AppHarness.h"

#include "app/AboutDialog.h"
#include "app/AnnoyingDialog.h"
#include "app/GoToDialog.h"
#include "app/MessageIndicatorDialog.h"
#include "app/PreferencesDialog.h"
#include "app/PropertiesDialog.h"
#include "files/RecordProperties.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>

using namespace kavrin;
using namespace kavrin::test;

Q_DECLARE_METATYPE(kavrin::GoToType)

namespace {

// A target with a 1 MHz timestamp: one tick is one microsecond. Events 101 to 600 are stored,
// from 2 s to 1 h 2 min 3.0045 s; the selected one lies 1 h 1 min 1.004 5 s after the first.
struct GoToSetup {
    GoToSetup() {
        timeBase.setFrequency(1'000'000);
        range.hasEvents = true;
        range.firstIndex = 100;
        range.lastIndex = 599;
        range.firstTicks = 2'000'000;
        range.lastTicks = 3'723'004'500;
        range.selectedIndex = 300;
        range.selectedTicks = 3'663'004'500;
    }
    TimeBase timeBase;
    GoToRange range;
};

struct GoToRun {
    explicit GoToRun(GoToType type, const GoToSetup& setup = {})
        : setup_(setup), dialog(type, setup_.range, setup_.timeBase, Resolution100ns) {
        dialog.warn = [this](const QString& text) { warnings.append(text); };
    }
    void setTime(int h, int m, int s, int ms, int us) {
        const std::array<int, 5> parts{h, m, s, ms, us};
        for (size_t i = 0; i < parts.size(); ++i)
            dialog.timeFields()[i]->setValue(parts[i]);
    }
    std::array<int, 5> time() const {
        std::array<int, 5> parts{};
        for (size_t i = 0; i < parts.size(); ++i)
            parts[i] = dialog.timeFields()[i]->value();
        return parts;
    }

    GoToSetup setup_;
    GoToDialog dialog;
    QStringList warnings;
};

// Mnemonic letters of the buttons and boxes of a dialog, lower case, in widget order.
QString mnemonics(const QWidget& dialog) {
    QString letters;
    for (const QAbstractButton* button : dialog.findChildren<QAbstractButton*>()) {
        const QString text = button->text();
        const qsizetype amp = text.indexOf(u'&');
        if (amp >= 0 && amp + 1 < text.size() && text[amp + 1] != u'&')
            letters += text[amp + 1].toLower();
    }
    return letters;
}

bool unique(const QString& letters) {
    for (qsizetype i = 0; i < letters.size(); ++i)
        if (letters.indexOf(letters[i], i + 1) >= 0)
            return false;
    return true;
}

QStringList groupTitles(const QWidget& dialog) {
    QStringList titles;
    for (const QGroupBox* box : dialog.findChildren<QGroupBox*>())
        titles.append(box->title());
    return titles;
}

QStringList comboTexts(const QComboBox& combo) {
    QStringList texts;
    for (int i = 0; i < combo.count(); ++i)
        texts.append(combo.itemText(i));
    return texts;
}

} // namespace

class DialogsTest : public QObject {
    Q_OBJECT

private slots:
    void goToEventNumbers_data();
    void goToEventNumbers();
    void goToShowsTheRangeAndThePresetOfEachType();
    void goToTimesBecomeTargetTimestamps();
    void goToWithoutEventsAcceptsNothing();
    void preferencesShowAndReturnEveryValue();
    void preferencesKeepTheirRanges();
    void messageIndicatorsShowAndReturnBothValues();
    void recordingPropertiesAcceptAndCancel();
    void suppressibleMessageStoresItsCheckBox();
    void aboutNamesTheProgram();
};

void DialogsTest::goToEventNumbers_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("warning");
    QTest::addColumn<qulonglong>("index");
    const QString invalidInput = QStringLiteral("Invalid Input.");
    const QString invalidEvent = QStringLiteral("Invalid Event #.");
    QTest::newRow("letters") << "abc" << invalidInput << 0ull;
    QTest::newRow("empty") << "" << invalidInput << 0ull;
    QTest::newRow("negative") << "-3" << invalidInput << 0ull;
    QTest::newRow("fraction") << "12.5" << invalidInput << 0ull;
    QTest::newRow("zero") << "0" << invalidEvent << 0ull;
    QTest::newRow("before the first") << "100" << invalidEvent << 0ull;
    QTest::newRow("after the last") << "601" << invalidEvent << 0ull;
    QTest::newRow("too long for any number")
        << "123456789012345678901234567890" << invalidEvent << 0ull;
    QTest::newRow("the first") << "101" << QString() << 100ull;
    QTest::newRow("the last") << "600" << QString() << 599ull;
    QTest::newRow("blanks around") << " 250 " << QString() << 249ull;
}

void DialogsTest::goToEventNumbers() {
    QFETCH(QString, text);
    QFETCH(QString, warning);
    QFETCH(qulonglong, index);
    GoToRun run(GoToType::Event);
    run.dialog.eventField()->setText(text);
    run.dialog.ValidateInput();
    if (warning.isEmpty()) {
        QVERIFY(run.warnings.isEmpty());
        QCOMPARE(run.dialog.result(), int(QDialog::Accepted));
        QCOMPARE(int(run.dialog.target().type), int(GoToType::Event));
        QCOMPARE(run.dialog.target().value, uint64_t(index));
    } else {
        // The warning keeps the dialog open.
        QCOMPARE(run.warnings, QStringList{warning});
        QCOMPARE(run.dialog.result(), int(QDialog::Rejected));
    }
}

void DialogsTest::goToShowsTheRangeAndThePresetOfEachType() {
    GoToRun run(GoToType::Event);
    GoToDialog& dialog = run.dialog;
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Go To ... | Norvan Kavrin V2.37a"));
    QCOMPARE(comboTexts(*dialog.typeBox()),
             QStringList({"Event #", "Target Timestamp", "Recording Timestamp"}));
    QCOMPARE(dialog.rangeLabel()->text(), QStringLiteral(" (101 - 600): "));
    QCOMPARE(dialog.eventField()->text(), QStringLiteral("301"));
    QVERIFY(!dialog.eventField()->isHidden());
    QVERIFY(dialog.timeFields()[0]->parentWidget()->isHidden());

    dialog.typeBox()->setCurrentIndex(int(GoToType::TargetTimestamp));
    QCOMPARE(dialog.rangeLabel()->text(),
             QStringLiteral(" (02.000 000 000 - 01:02:03.004 500 000): "));
    QVERIFY(dialog.eventField()->isHidden());
    QVERIFY(!dialog.timeFields()[0]->parentWidget()->isHidden());
    QCOMPARE(run.time(), (std::array<int, 5>{1, 1, 3, 4, 500}));

    dialog.typeBox()->setCurrentIndex(int(GoToType::RecordingTimestamp));
    QCOMPARE(dialog.rangeLabel()->text(),
             QStringLiteral(" (00.000 000 000 - 01:02:01.004 500 000): "));
    QCOMPARE(run.time(), (std::array<int, 5>{1, 1, 1, 4, 500}));

    // The spin boxes: hours 0 to 100, the rest below the next unit; milliseconds and
    // microseconds step by 10.
    const std::array<QSpinBox*, 5>& fields = dialog.timeFields();
    const std::array<int, 5> maxima{100, 59, 59, 999, 999};
    const std::array<int, 5> steps{1, 1, 1, 10, 10};
    const QStringList suffixes{" h", " m", " s", " ms", " us"};
    for (size_t i = 0; i < fields.size(); ++i) {
        QCOMPARE(fields[i]->minimum(), 0);
        QCOMPARE(fields[i]->maximum(), maxima[i]);
        QCOMPARE(fields[i]->singleStep(), steps[i]);
        QCOMPARE(fields[i]->suffix(), suffixes[qsizetype(i)]);
    }
    QVERIFY(unique(mnemonics(dialog)));
}

void DialogsTest::goToTimesBecomeTargetTimestamps() {
    {
        // One hour after the first event.
        GoToRun run(GoToType::RecordingTimestamp);
        run.setTime(1, 0, 0, 0, 0);
        bool ok = false;
        QCOMPARE(run.dialog.ParseTimestamp(&ok), uint64_t(3'602'000'000));
        QVERIFY(ok);
        run.dialog.ValidateInput();
        QCOMPARE(run.dialog.result(), int(QDialog::Accepted));
        QCOMPARE(int(run.dialog.target().type), int(GoToType::RecordingTimestamp));
        QCOMPARE(run.dialog.target().value, uint64_t(3'602'000'000));
    }
    {
        // Target time as it is; times outside the recording are accepted too.
        GoToRun run(GoToType::TargetTimestamp);
        run.setTime(0, 0, 1, 20, 30);
        run.dialog.ValidateInput();
        QVERIFY(run.warnings.isEmpty());
        QCOMPARE(run.dialog.target().value, uint64_t(1'020'030));
    }
    {
        // 168 MHz: 21 ticks are 125 ns, so 1 ms and 10 us are 169 680 ticks.
        GoToSetup setup;
        setup.timeBase.setFrequency(168'000'000);
        GoToRun run(GoToType::TargetTimestamp, setup);
        run.setTime(0, 0, 0, 1, 10);
        QCOMPARE(run.dialog.ParseTimestamp(nullptr), uint64_t(169'680));
    }
}

void DialogsTest::goToWithoutEventsAcceptsNothing() {
    for (const GoToType type : {GoToType::Event, GoToType::RecordingTimestamp}) {
        GoToSetup setup;
        setup.range = {};
        GoToRun run(type, setup);
        QCOMPARE(run.dialog.rangeLabel()->text(), QStringLiteral(" (no events): "));
        run.dialog.ValidateInput();
        QCOMPARE(run.warnings, QStringList{QStringLiteral("No events are loaded.")});
        QCOMPARE(run.dialog.result(), int(QDialog::Rejected));
    }
}

void DialogsTest::preferencesShowAndReturnEveryValue() {
    const Preferences current = unusualPreferences();
    PreferencesDialog dialog(current);
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Preferences | Norvan Kavrin V2.37a"));
    QCOMPARE(groupTitles(dialog),
             QStringList({"General Settings", "Indicator Settings", "System Information Settings",
                          "Window and Dialog Settings"}));
    QVERIFY(unique(mnemonics(dialog)));
    // Confirmed without a change, every value comes back as it was.
    QCOMPARE(dialog.values().timeline, current.timeline);
    QCOMPARE(dialog.values(), current);

    const QList<QComboBox*> combos = dialog.findChildren<QComboBox*>();
    QCOMPARE(combos.size(), 6);
    QCOMPARE(comboTexts(*combos[0]),
             QStringList({"No Log", "Error", "Warning", "Message", "Diagnostic"}));
    QCOMPARE(combos[0]->currentText(), QStringLiteral("Diagnostic"));
    QCOMPARE(comboTexts(*combos[1]), QStringList({"None", "Light Background"}));
    QCOMPARE(comboTexts(*combos[2]), QStringList({"None", "Silver Bar"}));
    QCOMPARE(comboTexts(*combos[3]), QStringList({"None", "Bottom"}));
    QCOMPARE(comboTexts(*combos[4]),
             QStringList({"All Messages", "Warnings and Errors", "Errors only", "None"}));
    QCOMPARE(combos[5]->count(), 22);
    QCOMPARE(combos[5]->itemText(0), QStringLiteral("View 10us"));
    QCOMPARE(combos[5]->itemText(20), QStringLiteral("View 60s"));
    QCOMPARE(combos[5]->currentText(), QStringLiteral("Never"));

    // Every control changed reaches its value.
    for (QCheckBox* box : dialog.findChildren<QCheckBox*>())
        box->toggle();
    combos[0]->setCurrentIndex(1);
    combos[1]->setCurrentIndex(1);
    combos[2]->setCurrentIndex(1);
    combos[3]->setCurrentIndex(1);
    combos[4]->setCurrentIndex(3);
    combos[5]->setCurrentIndex(6);
    const QList<QSpinBox*> spins = dialog.findChildren<QSpinBox*>();
    QCOMPARE(spins.size(), 3);
    spins[0]->setValue(20);
    spins[1]->setValue(25);
    spins[2]->setValue(30);
    const Preferences values = dialog.values();
    QCOMPARE(values.loadDataOnStart, true);
    QCOMPARE(values.saveRecordProperties, true);
    QCOMPARE(values.timeline.invertWheelControl, false);
    QCOMPARE(values.logLevel, 1u);
    QCOMPARE(values.timeline.existingTaskHighlight, 1u);
    QCOMPARE(values.timeline.taskReadyHighlight, 1u);
    QCOMPARE(values.timeline.timelineEventMarker, 1u);
    QCOMPARE(values.timeline.indicatorLevel, 3);
    QCOMPARE(values.timeline.indicatorZoom, 6);
    QCOMPARE(values.sysDescFreq, 20);
    QCOMPARE(values.taskListFreq, 25);
    QCOMPARE(values.sysTimeFreq, 30);
    QCOMPARE(values.requestModules, true);
    QCOMPARE(values.showSystemInfoDialog, true);
    QCOMPARE(values.showRecordingPropertiesDialog, true);
    QCOMPARE(values.dialogSuppressed, current.dialogSuppressed);
}

void DialogsTest::preferencesKeepTheirRanges() {
    PreferencesDialog dialog(Preferences{});
    for (QSpinBox* spin : dialog.findChildren<QSpinBox*>()) {
        QCOMPARE(spin->singleStep(), 5);
        spin->setValue(0);
        QCOMPARE(spin->value(), 1);
        spin->setValue(100'000);
        QCOMPARE(spin->value(), 86400);
        spin->stepUp();
        QCOMPARE(spin->value(), 86400);
    }
    // A value the dialog cannot show (from a hand-edited file) falls back to the first entry.
    Preferences odd;
    odd.timeline.indicatorZoom = 40;
    QCOMPARE(PreferencesDialog(odd).values().timeline.indicatorZoom, 0);
}

void DialogsTest::messageIndicatorsShowAndReturnBothValues() {
    MessageIndicatorDialog dialog(2, 21);
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Message Indicators | Norvan Kavrin V2.37a"));
    const QList<QComboBox*> combos = dialog.findChildren<QComboBox*>();
    QCOMPARE(combos.size(), 2);
    QCOMPARE(combos[0]->currentText(), QStringLiteral("Errors only"));
    QCOMPARE(combos[1]->currentText(), QStringLiteral("Never"));
    QCOMPARE(dialog.level(), 2);
    QCOMPARE(dialog.zoom(), 21);
    combos[0]->setCurrentIndex(1);
    combos[1]->setCurrentIndex(9);
    QCOMPARE(dialog.level(), 1);
    QCOMPARE(dialog.zoom(), 9);
    QCOMPARE(combos[1]->currentText(), QStringLiteral("View 10ms"));
    QVERIFY(unique(mnemonics(dialog)));
}

void DialogsTest::recordingPropertiesAcceptAndCancel() {
    RecordProperties properties;
    properties.recordTime = QDateTime(QDate(2016, 6, 17), QTime(9, 5, 7));
    properties.title = QStringLiteral("Old title");
    properties.author = QStringLiteral("ann");

    bool shown = false;
    auto edit = std::make_unique<ModalDialogs>([&](QDialog& dialog) {
        auto& form = static_cast<PropertiesDialog&>(dialog);
        QCOMPARE(form.windowTitle(), QStringLiteral("Recording Properties | Norvan Kavrin V2.37a"));
        QCOMPARE(groupTitles(form), QStringList({"System Properties", "Recording Properties"}));
        QStringList fixed;
        for (const QLineEdit* field : form.findChildren<QLineEdit*>())
            if (field->isReadOnly())
                fixed.append(field->text());
        QCOMPARE(fixed, QStringList({"MotorCtrl", "STM32F407VG", "17 Jun 2016 09:05:07"}));
        QCOMPARE(form.titleField()->text(), QStringLiteral("Old title"));
        form.titleField()->setText(QStringLiteral("Bench run"));
        form.authorField()->setText(QStringLiteral("bob"));
        form.descriptionField()->setPlainText(QStringLiteral("first line\nsecond line"));
        shown = true;
        clickButton(form, QStringLiteral("&OK"));
    });
    QVERIFY(editRecordProperties(nullptr, properties, QStringLiteral("MotorCtrl"),
                                 QStringLiteral("STM32F407VG")));
    QVERIFY(shown);
    QCOMPARE(properties.title, QStringLiteral("Bench run"));
    QCOMPARE(properties.author, QStringLiteral("bob"));
    QCOMPARE(properties.description, QStringLiteral("first line\nsecond line"));

    edit.reset();

    // Cancel changes nothing, whatever was typed.
    const RecordProperties before = properties;
    ModalDialogs cancel([](QDialog& dialog) {
        static_cast<PropertiesDialog&>(dialog).titleField()->setText(QStringLiteral("typed"));
        clickButton(dialog, QStringLiteral("&Cancel"));
    });
    QVERIFY(!editRecordProperties(nullptr, properties, {}, {}));
    QCOMPARE(properties.title, before.title);
    QCOMPARE(properties.author, before.author);
    QCOMPARE(properties.description, before.description);
    QVERIFY(!loginName().isEmpty());
}

void DialogsTest::suppressibleMessageStoresItsCheckBox() {
    bool suppressed = false;
    {
        AnnoyingDialog dialog({overflowExplanationTitle(), overflowExplanationText(), &suppressed});
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Norvan Kavrin V2.37a"));
        QCOMPARE(dialog.againBox()->text(), QStringLiteral("Do not show this message &again."));
        QVERIFY(!dialog.againBox()->isChecked());
        QStringList texts;
        for (const QLabel* label : dialog.findChildren<QLabel*>())
            texts.append(label->text());
        QVERIFY(texts.contains(QStringLiteral("Overflow Events")));
        QVERIFY(texts.contains(overflowExplanationText()));
        dialog.againBox()->setChecked(true);
        dialog.OnOK();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
    }
    QVERIFY(suppressed);
    {
        // Shown on request while switched off: the box shows it and unchecking it switches on.
        AnnoyingDialog dialog({overflowExplanationTitle(), overflowExplanationText(), &suppressed});
        QVERIFY(dialog.againBox()->isChecked());
        dialog.againBox()->setChecked(false);
        dialog.OnOK();
    }
    QVERIFY(!suppressed);
}

void DialogsTest::aboutNamesTheProgram() {
    AboutDialog dialog;
    QCOMPARE(dialog.windowTitle(), QStringLiteral("About Kavrin"));
    QStringList texts;
    for (const QLabel* label : dialog.findChildren<QLabel*>())
        texts.append(label->text());
    QVERIFY(texts.contains(QStringLiteral("Norvan Kavrin V2.37a")));
    QVERIFY(texts.contains(QStringLiteral("Compiled on Jun 17 2016")));
    QCOMPARE(dialog.findChildren<QPushButton*>().size(), 1);
}

QTEST_MAIN(DialogsTest)
#include "DialogsTest.moc"
