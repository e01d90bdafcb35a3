// The numeric edit: what a sequence of keys leaves in the field, which values its change
// notification passes on (a clamp passing the bound twice), which keys are refused with
// a beep and which texts mark the field as not being a number; the written forms of
// values; the geometry of field, spinner and caption.
#include <QtTest>

#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>

#include <memory>

#include "shell/float_edit.h"
#include "tests/gui/support/scripted_dialogs.h"

using tessarin::shell::TFloatEdit;
using tessarin::test::TDialogKind;
using tessarin::test::TScriptedDialogs;

using TValues = QList<double>;

class TFloatEditTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void KeySequences_data();
    void KeySequences();
    void EnterAndEscapeAreThePanelsButtons();
    void WrittenValues_data();
    void WrittenValues();
    void PointSeparatorTakesThePoint();
    void SpinnerStepsWithinTheBounds();
    void ClipboardDoesNotReachTheField();
    void GeometryFollowsTopAndLeft();

private:
    int Count(TDialogKind kind) const;
    void Press(const QString& key);

    std::unique_ptr<QWidget> Container;
    std::unique_ptr<TScriptedDialogs> Dialogs;
    TFloatEdit* Edit = nullptr;
    TValues Notified;
};

void TFloatEditTest::init() {
    Dialogs = std::make_unique<TScriptedDialogs>();
    Container = std::make_unique<QWidget>();
    Container->resize(400, 60);
    Edit = new TFloatEdit(*Container, *Dialogs, QStringLiteral("Edit"));
    Notified.clear();
    connect(Edit, &TFloatEdit::Changed, this, [this] { Notified.append(Edit->Value()); });
}

void TFloatEditTest::cleanup() {
    Container.reset();
    Dialogs.reset();
    Edit = nullptr;
}

int TFloatEditTest::Count(TDialogKind kind) const {
    int count = 0;
    for (const auto& record : Dialogs->Records()) {
        count += record.Kind == kind ? 1 : 0;
    }
    return count;
}

// One key: "<Up>", "<Down>", "<Back>", "<Enter>", "<Esc>", "<Space>", "<Ctrl+Z>",
// "<Leave>" (the focus goes elsewhere), or characters typed one by one.
void TFloatEditTest::Press(const QString& key) {
    QLineEdit& field = Edit->Field();
    if (key == "<Up>") {
        QTest::keyClick(&field, Qt::Key_Up);
    } else if (key == "<Down>") {
        QTest::keyClick(&field, Qt::Key_Down);
    } else if (key == "<Back>") {
        QTest::keyClick(&field, Qt::Key_Backspace);
    } else if (key == "<Enter>") {
        QTest::keyClick(&field, Qt::Key_Return);
    } else if (key == "<Esc>") {
        QTest::keyClick(&field, Qt::Key_Escape);
    } else if (key == "<Ctrl+Z>") {
        QTest::keyClick(&field, Qt::Key_Z, Qt::ControlModifier);
    } else if (key == "<Ctrl+A>") {
        QTest::keyClick(&field, Qt::Key_A, Qt::ControlModifier);
    } else if (key == "<Home>") {
        QTest::keyClick(&field, Qt::Key_Home);
    } else if (key == "<End>") {
        QTest::keyClick(&field, Qt::Key_End);
    } else if (key == "<Del>") {
        QTest::keyClick(&field, Qt::Key_Delete);
    } else if (key == "<Left>") {
        QTest::keyClick(&field, Qt::Key_Left);
    } else if (key == "<Leave>") {
        QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
        QCoreApplication::sendEvent(&field, &out);
    } else {
        QTest::keyClicks(&field, key);
    }
}

void TFloatEditTest::KeySequences_data() {
    QTest::addColumn<int>("minimum");
    QTest::addColumn<int>("maximum");
    QTest::addColumn<QStringList>("keys");
    QTest::addColumn<QString>("text");      // left in the field
    QTest::addColumn<TValues>("notified");  // values passed on, in order
    QTest::addColumn<int>("beeps");
    QTest::addColumn<bool>("marked");  // the field is marked as not a number at the end

    QTest::newRow("100 above 90 becomes 90, passed on twice")
        << -90 << 90 << QStringList{"100"} << "90" << TValues{1, 10, 90, 90} << 0 << false;
    QTest::newRow("-100 below -90 becomes -90")
        << -90 << 90 << QStringList{"-100"} << "-90" << TValues{0, -1, -10, -90, -90} << 0 << false;
    QTest::newRow("a lone minus is 0, leaving makes it 0")
        << -90 << 90 << QStringList{"-", "<Leave>"} << "0" << TValues{0, 0} << 0 << false;
    QTest::newRow("leaving an emptied field makes it 0")
        << -90 << 90 << QStringList{"7", "<Back>", "<Leave>"} << "0" << TValues{7, 0, 0} << 0
        << false;
    QTest::newRow("leaving a number keeps it")
        << -90 << 90 << QStringList{"7", "<Leave>"} << "7" << TValues{7} << 0 << false;
    QTest::newRow("12,5 and a second comma refused")
        << -90 << 90 << QStringList{"12,5,"} << "12,5" << TValues{1, 12, 12, 12.5} << 1 << false;
    QTest::newRow("a second minus refused")
        << -90 << 90 << QStringList{"-4-"} << "-4" << TValues{0, -4} << 1 << false;
    QTest::newRow("the point, letters and blanks refused")
        << -1000 << 1000 << QStringList{"1.5x 2"} << "152" << TValues{1, 15, 152} << 3 << false;
    QTest::newRow("a comma before the digits")
        << -90 << 90 << QStringList{",5"} << ",5" << TValues{0.5} << 0 << false;
    QTest::newRow("a lone comma marks the field")
        << -90 << 90 << QStringList{","} << "," << TValues{} << 0 << true;
    QTest::newRow("a minus typed in front of the digits")
        << -90 << 90 << QStringList{"5", "<Left>", "<Left>", "-"} << "-5" << TValues{5, -5} << 0
        << false;
    QTest::newRow("5- marks the field and is not passed on")
        << -90 << 90 << QStringList{"5-"} << "5-" << TValues{5} << 0 << true;
    QTest::newRow("90 then 5- on the way to -5 is marked, then reads again")
        << -90 << 90 << QStringList{"90", "<Ctrl+A>", "5-", "<Back>", "<Home>", "-"} << "-5"
        << TValues{9, 90, 5, 5, -5} << 0 << false;
    QTest::newRow("Ctrl+A chooses the text, typing replaces it")
        << -90 << 90 << QStringList{"45", "<Ctrl+A>", "7"} << "7" << TValues{4, 45, 7} << 0
        << false;
    QTest::newRow("Ctrl+Z refused")
        << -90 << 90 << QStringList{"3", "<Ctrl+Z>"} << "3" << TValues{3} << 1 << false;
    QTest::newRow("below a minimum of 0 while typing a negative number")
        << 0 << 90 << QStringList{"-5"} << "0" << TValues{0, 0, 0} << 0 << false;
    QTest::newRow("Up from 12,5 gives 13, then Down 12")
        << -90 << 90 << QStringList{"12,5", "<Up>", "<Down>"} << "12"
        << TValues{1, 12, 12, 12.5, 13, 12} << 0 << false;
    QTest::newRow("Down from 12,5 gives 12") << -90 << 90 << QStringList{"12,5", "<Down>"} << "12"
                                             << TValues{1, 12, 12, 12.5, 12} << 0 << false;
    QTest::newRow("stepping stops at the bound") << -90 << 90 << QStringList{"89", "<Up>", "<Up>"}
                                                 << "90" << TValues{8, 89, 90} << 0 << false;
    QTest::newRow("Backspace takes one character")
        << -90 << 90 << QStringList{"12", "<Back>"} << "1" << TValues{1, 12, 1} << 0 << false;
}

void TFloatEditTest::KeySequences() {
    QFETCH(int, minimum);
    QFETCH(int, maximum);
    QFETCH(QStringList, keys);
    QFETCH(QString, text);
    QFETCH(TValues, notified);
    QFETCH(int, beeps);
    QFETCH(bool, marked);

    Edit->SetMin(minimum);
    Edit->SetMax(maximum);
    for (const QString& key : keys) {
        Press(key);
    }
    QCOMPARE(Edit->Field().text(), text);
    QCOMPARE(Notified, notified);
    QCOMPARE(Count(TDialogKind::Beep), beeps);
    // Nothing interrupts the typing: the field itself says what is wrong.
    QCOMPARE(Count(TDialogKind::Error), 0);
    QCOMPARE(!Edit->Valid(), marked);
    QCOMPARE(Edit->Field().toolTip().isEmpty(), !marked);
    QCOMPARE(Edit->Field().styleSheet().contains(QStringLiteral("border")), marked);
    if (marked) {
        QCOMPARE(Edit->Problem(), QStringLiteral("\"%1\" не является числом").arg(text));
    }
}

void TFloatEditTest::EnterAndEscapeAreThePanelsButtons() {
    QSignalSpy accepted(Edit, &TFloatEdit::Accepted);
    QSignalSpy cancelled(Edit, &TFloatEdit::Cancelled);
    Press("3");
    Press("<Enter>");
    QCOMPARE(accepted.count(), 1);
    QCOMPARE(cancelled.count(), 0);
    Press("<Esc>");
    QCOMPARE(cancelled.count(), 1);
    QTest::keyClick(&Edit->Field(), Qt::Key_Enter, Qt::KeypadModifier);
    QCOMPARE(accepted.count(), 2);
    QCOMPARE(Edit->Field().text(), QStringLiteral("3"));
    QCOMPARE(Count(TDialogKind::Beep), 0);
}

void TFloatEditTest::WrittenValues_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("text");
    QTest::newRow("45") << 45.0 << "45";
    QTest::newRow("-0,5") << -0.5 << "-0,5";
    QTest::newRow("negative zero") << -0.0 << "0";
    QTest::newRow("a third, 15 digits") << 1.0 / 3.0 << "0,333333333333333";
}

void TFloatEditTest::WrittenValues() {
    QFETCH(double, value);
    QFETCH(QString, text);
    Edit->SetMin(-90);
    Edit->SetMax(90);
    Edit->SetValue(value);
    QCOMPARE(Edit->Field().text(), text);
    // Written values are changes like typed ones.
    QCOMPARE(Notified.size(), 1);
    QCOMPARE(Notified.front(), Edit->Value());
    // Writing the same text again is no change.
    Edit->SetValue(value);
    QCOMPARE(Notified.size(), 1);
}

void TFloatEditTest::PointSeparatorTakesThePoint() {
    // Where numbers are written with a point, the point is the separator the field takes.
    Edit->SetDecimalSeparator('.');
    Edit->SetMin(-90);
    Edit->SetMax(90);
    Press("1.5,");
    QCOMPARE(Edit->Field().text(), QStringLiteral("1.5"));
    QCOMPARE(Edit->Value(), 1.5);
    QCOMPARE(Count(TDialogKind::Beep), 1);
    Edit->SetValue(-0.25);
    QCOMPARE(Edit->Field().text(), QStringLiteral("-0.25"));
}

void TFloatEditTest::SpinnerStepsWithinTheBounds() {
    Edit->SetMin(0);
    Edit->SetMax(2);
    auto* up = Edit->Spinner().findChild<QToolButton*>("Up");
    auto* down = Edit->Spinner().findChild<QToolButton*>("Down");
    QVERIFY(up != nullptr && down != nullptr);
    Edit->SetValue(0);
    up->click();
    up->click();
    up->click();
    QCOMPARE(Edit->Field().text(), QStringLiteral("2"));
    down->click();
    QCOMPARE(Edit->Field().text(), QStringLiteral("1"));
    QCOMPARE(Notified, (TValues{0, 1, 2, 1}));
    // A text that is no number is not stepped.
    Edit->Field().setText(QStringLiteral("1-"));
    Dialogs->Clear();
    up->click();
    QCOMPARE(Edit->Field().text(), QStringLiteral("1-"));
    QCOMPARE(Count(TDialogKind::Beep), 1);
}

void TFloatEditTest::ClipboardDoesNotReachTheField() {
    QGuiApplication::clipboard()->setText(QStringLiteral("abc"));
    Edit->SetMin(-90);
    Edit->SetMax(90);
    Press("4");
    QTest::keyClick(&Edit->Field(), Qt::Key_V, Qt::ControlModifier);
    QTest::mouseClick(&Edit->Field(), Qt::MiddleButton);
    QCOMPARE(Edit->Field().text(), QStringLiteral("4"));
    QCOMPARE(Count(TDialogKind::Beep), 1);
    QCOMPARE(Edit->Field().contextMenuPolicy(), Qt::NoContextMenu);
    QVERIFY(!Edit->Field().acceptDrops());
}

void TFloatEditTest::GeometryFollowsTopAndLeft() {
    Edit->SetCaption(QStringLiteral("Угол схода стружки"));
    Edit->SetTop(20);
    Edit->SetLeft(200);
    QCOMPARE(Edit->Field().geometry(), QRect(200, 20, 35, 21));
    QCOMPARE(Edit->Caption().pos(), QPoint(255, 23));
    QCOMPARE(Edit->Caption().text(), QStringLiteral("Угол схода стружки"));
    QCOMPARE(Edit->Spinner().geometry().left(), 235);
    QCOMPARE(Edit->Spinner().geometry().top(), 20);
    QCOMPARE(Edit->Field().palette().color(QPalette::Base), QColor(166, 202, 240));
    Edit->SetVisible(false);
    QVERIFY(Edit->Field().isHidden() && Edit->Spinner().isHidden() && Edit->Caption().isHidden());
    Edit->SetVisible(true);
    QVERIFY(!Edit->Field().isHidden() && !Edit->Spinner().isHidden() &&
            !Edit->Caption().isHidden());
}

QTEST_MAIN(TFloatEditTest)
#include "float_edit_test.moc"
