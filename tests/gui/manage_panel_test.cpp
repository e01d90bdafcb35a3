// The parameter panel of the main window on the bundled sample: what each mode shows
// and loads, the live preview into WorkingCS as the user types, what OK, "Сброс" and
// "Отмена" leave in the model and the command states, the working plane following its
// main segment, and the panel working on whichever document is active.
#include <QtTest>

#include <QDialog>

#include <QAbstractItemView>
#include <QAction>
#include <QCursor>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QStatusTipEvent>
#include <QTableView>
#include <QToolButton>

#include <cmath>
#include <memory>

#include "document/data_panel.h"
#include "document/data_tree.h"
#include "document/mdi_child.h"
#include "document/property_list.h"
#include "document/side_bar.h"
#include "model/coordinate_systems.h"
#include "model/model.h"
#include "shell/float_edit.h"
#include "shell/main_window.h"
#include "shell/manage_panel.h"
#include "shell/select_dialog.h"
#include "tests/gui/support/find_child.h"
#include "tests/gui/support/memory_settings.h"
#include "tests/gui/support/scripted_dialogs.h"

using tessarin::document::TMDIChild;
using tessarin::geometry::TVector3;
using tessarin::shell::TAnswer;
using tessarin::shell::TFloatEdit;
using tessarin::shell::TMainForm;
using tessarin::shell::TManagePanel;
using tessarin::shell::TSelectDlg;
using tessarin::test::TMemorySettings;
using tessarin::test::TScriptedDialogs;

namespace {

const QString kSample = QStringLiteral(TESSARIN_SAMPLES "/cutter.stl");

bool Near(const TVector3& a, const TVector3& b) {
    return std::abs(a.x - b.x) < 1e-9 && std::abs(a.y - b.y) < 1e-9 && std::abs(a.z - b.z) < 1e-9;
}

QByteArray Show(const TVector3& v) {
    return QByteArray::number(v.x) + ", " + QByteArray::number(v.y) + ", " +
           QByteArray::number(v.z);
}

#define VERIFY_NEAR(a, b) QVERIFY2(Near((a), (b)), Show(a) + " instead of " + Show(b))

// What the core's own preview gives on a copy of the model.
TVector3 ExpectedPlane(const tessarin::model::TModel& model, std::int32_t hce, double phi) {
    tessarin::model::TModel copy = model;
    copy.WorkingCS.FeedPlan.HCE = hce;
    (void)copy.PreviewFeedPlan(phi);
    return copy.WorkingCS.FeedPlan.FP;
}

}  // namespace

class TManagePanelTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void ModesShowTheirEdits_data();
    void ModesShowTheirEdits();
    void ButtonsAndHints();
    void CancelledEditIsNotShownAgain();
    void SameTextInAnotherDocumentStillPreviews();
    void StaticOnFreshModelPreviewsTheAxis();
    void TypedValueAboveTheBoundIsClamped();
    void EnterIsOkEscapeIsCancel();
    void InvalidFieldIsMarkedNotPreviewedNotAccepted();
    void OkOnStaticSystemDefinesThreeSystems();
    void RedefinedSystemDropsItsAnglesFromEveryView();
    void PanelDisablesCommandsUntilClosed();
    void PickedSegmentMovesThePlaneAndResetRestoresIt();
    void ResetRestoresTheTableRow_data();
    void ResetRestoresTheTableRow();
    void MainSegmentOutsideTheSelectionHasNoRow();
    void ClosingEndsPickModeWhereItBegan();
    void PickMovesThePointerOntoTheTable();
    void ActiveDocumentChangeRepreviews();
    void ClosingTheLastDocumentClosesThePanel();

private:
    TMDIChild* AnalyseSample();
    QAction* Command(const char* name) const;
    TManagePanel& Panel() const { return Form->ManagePanel(); }
    QToolButton* Button(const char* name) const;
    void Type(TFloatEdit& edit, const QString& text);
    void PickRow(TMDIChild& document, int row);
    // "Выборка" of the segments whose tool rake angle lies in -90..0.
    void SelectNonPositiveToolRakes();

    std::unique_ptr<TScriptedDialogs> Dialogs;
    std::unique_ptr<TMemorySettings> Settings;
    std::unique_ptr<TMainForm> Form;
};

void TManagePanelTest::init() {
    Dialogs = std::make_unique<TScriptedDialogs>();
    Settings = std::make_unique<TMemorySettings>();
    Form = std::make_unique<TMainForm>(*Dialogs, *Settings);
    // Never shown: a shown window holding the 3-D view cannot be flushed offscreen.
}

void TManagePanelTest::cleanup() {
    QVERIFY2(Dialogs->Unscripted().isEmpty(), qPrintable(Dialogs->Unscripted().join("; ")));
    Form.reset();
    Settings.reset();
    Dialogs.reset();
}

QAction* TManagePanelTest::Command(const char* name) const {
    return tessarin::test::FindChild<QAction>(*Form, name);
}

QToolButton* TManagePanelTest::Button(const char* name) const {
    return tessarin::test::FindChild<QToolButton>(Panel().GroupBox(), name);
}

TMDIChild* TManagePanelTest::AnalyseSample() {
    Command("ButtonNew")->trigger();
    Dialogs->ChooseFile(kSample);
    Dialogs->CloseModal(QDialog::Accepted);  // "Параметры импорта"
    Command("ButtonOpenSTL")->trigger();
    Command("ButtonSortFaces")->trigger();
    Command("ButtonCutEdge")->trigger();
    TMDIChild* document = Form->ActiveDocument();
    if (document == nullptr || !document->Model.CutEdgeExist) {
        qFatal("the sample has no cutting edge");
    }
    return document;
}

// "Указать", the row made current in the table, then "Выбрать" from its pop-up.
void TManagePanelTest::SelectNonPositiveToolRakes() {
    Dialogs->WorkModal([](QDialog& shown) {
        auto& dialog = static_cast<TSelectDlg&>(shown);
        dialog.show();
        dialog.SetText(0, QStringLiteral("-90..0"));
        dialog.OKButton().click();
        return dialog.result();
    });
    Command("ButtonSelection")->trigger();
}

void TManagePanelTest::PickRow(TMDIChild& document, int row) {
    Button("SpeedButtonPick")->click();
    QVERIFY(document.InPickMode());
    QTableView& table = document.Data().Table();
    table.setCurrentIndex(table.model()->index(row, 1));
    QAction* choose = document.findChild<QAction*>(QStringLiteral("N1"));
    QVERIFY(choose != nullptr);
    QCOMPARE(choose->text(), QStringLiteral("Выбрать"));
    choose->trigger();
    QVERIFY(!document.InPickMode());
}

// Replaces the field's text the way a user does: select all, then type.
void TManagePanelTest::Type(TFloatEdit& edit, const QString& text) {
    edit.Field().selectAll();
    QTest::keyClick(&edit.Field(), Qt::Key_Backspace);
    QTest::keyClicks(&edit.Field(), text);
}

void TManagePanelTest::ModesShowTheirEdits_data() {
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("firstCaption");
    QTest::addColumn<int>("firstMin");
    QTest::addColumn<int>("firstMax");
    QTest::addColumn<QString>("firstText");
    QTest::addColumn<QString>("secondCaption");  // empty: the second edit is hidden
    QTest::addColumn<bool>("pickShown");

    QTest::newRow("1 static") << 1 << "Угол наибольшего наклона СМП" << -90 << 90 << "12,5"
                              << "Угол плоскости наибольшего наклона" << false;
    QTest::newRow("2 kinematic") << 2 << "Угол скорости резания" << 0 << 90 << "5"
                                 << "" << false;
    QTest::newRow("3 dynamic") << 3 << "Угол схода стружки" << -90 << 90 << "45"
                               << "" << false;
    QTest::newRow("4 working plane") << 4 << "Главный угол в плане" << -180 << 180 << "-30"
                                     << "" << true;
}

void TManagePanelTest::ModesShowTheirEdits() {
    QFETCH(int, mode);
    QFETCH(QString, firstCaption);
    QFETCH(int, firstMin);
    QFETCH(int, firstMax);
    QFETCH(QString, firstText);
    QFETCH(QString, secondCaption);
    QFETCH(bool, pickShown);

    TMDIChild* document = AnalyseSample();
    tessarin::model::CSValues& accepted = document->Model.AcceptedCS;
    accepted.SSK.GN = 12.5;
    accepted.SSK.Mu = -120;
    accepted.KSK.Eta = 5;
    accepted.FeedPlan.Phi = -30;

    QCOMPARE(Form->ManagePanelMode(), 0);
    QVERIFY(Panel().GroupBox().isHidden());
    Form->OpenManagePanel(mode);
    QCOMPARE(Form->ManagePanelMode(), mode);
    QVERIFY(Form->PanelOpen());
    QVERIFY(!Panel().GroupBox().isHidden());
    // The view draws the working values, and the working plane only in its own mode.
    using tessarin::view::TPanelEdit;
    QVERIFY(document->View().Frame().Editing ==
            (mode == 4 ? TPanelEdit::WorkingPlane : TPanelEdit::System));

    TFloatEdit& first = *Panel().FirstEdit;
    TFloatEdit& second = *Panel().SecondEdit;
    QVERIFY(first.IsVisible());
    QCOMPARE(first.Caption().text(), firstCaption);
    QCOMPARE(first.Field().pos(), QPoint(200, 20));
    QCOMPARE(first.Caption().pos(), QPoint(255, 23));
    QCOMPARE(first.GetMin(), firstMin);
    QCOMPARE(first.GetMax(), firstMax);
    QCOMPARE(first.Field().text(), firstText);
    QCOMPARE(second.IsVisible(), !secondCaption.isEmpty());
    QCOMPARE(second.Caption().isHidden(), secondCaption.isEmpty());
    if (!secondCaption.isEmpty()) {
        QCOMPARE(second.Caption().text(), secondCaption);
        // At 450, or further right where the first caption is wider in this font.
        QCOMPARE(second.Field().y(), 20);
        QVERIFY(second.Field().x() >= 450);
        QVERIFY(second.Field().x() > first.Caption().geometry().right());
        QCOMPARE(second.GetMin(), -180);
        QCOMPARE(second.GetMax(), 180);
        QCOMPARE(second.Field().text(), QStringLiteral("-120"));
    }
    QCOMPARE(!Button("SpeedButtonPick")->isHidden(), pickShown);

    Button("SpeedButtonCancel")->click();
    QCOMPARE(Form->ManagePanelMode(), 0);
    QVERIFY(Panel().GroupBox().isHidden());
    QVERIFY(document->View().Frame().Editing == tessarin::view::TPanelEdit::None);
}

void TManagePanelTest::ButtonsAndHints() {
    QGroupBox& box = Panel().GroupBox();
    QCOMPARE(box.title(), QStringLiteral("Панель управления"));
    QCOMPARE(box.height(), 50);
    struct TButton {
        const char* Name;
        const char* Hint;
        int Left;
    };
    for (const TButton& expected :
         {TButton{"SpeedButtonOK", "ОК", 4}, TButton{"SpeedButtonSkip", "Сброс", 36},
          TButton{"SpeedButtonCancel", "Отмена", 68}, TButton{"SpeedButtonPick", "Указать", 104}}) {
        QToolButton* button = Button(expected.Name);
        QCOMPARE(button->geometry(), QRect(expected.Left, 16, 30, 30));
        QCOMPARE(button->toolTip(), QString::fromUtf8(expected.Hint));
        QVERIFY(button->autoRaise());
        QVERIFY(!button->icon().isNull());
        // The hint goes to the first panel of the main window's status bar.
        QStatusTipEvent tip(button->statusTip());
        QCoreApplication::sendEvent(button, &tip);
        QCOMPARE(Form->StatusPanel(0).text(), QString::fromUtf8(expected.Hint));
    }
    // "ОК" is written in Cyrillic letters.
    QCOMPARE(Button("SpeedButtonOK")->toolTip().at(0).unicode(), 0x41E);
}

void TManagePanelTest::CancelledEditIsNotShownAgain() {
    TMDIChild* document = AnalyseSample();
    tessarin::model::TModel& model = document->Model;
    Form->OpenManagePanel(3);
    Type(*Panel().FirstEdit, "30");
    QCOMPARE(model.WorkingCS.DSK.Nu, 30.0);
    const TVector3 at30 = model.WorkingCS.DSK.SP;
    Button("SpeedButtonCancel")->click();
    QCOMPARE(model.AcceptedCS.DSK.Nu, 45.0);
    QVERIFY(!model.ExistedCS[tessarin::model::kExistedDSK]);
    QCOMPARE(model.WorkingCS.DSK.Nu, 30.0);  // Cancel keeps the last preview

    Form->OpenManagePanel(3);
    QCOMPARE(Panel().FirstEdit->Field().text(), QStringLiteral("45"));
    QCOMPARE(model.WorkingCS.DSK.Nu, 45.0);
    tessarin::model::TModel expected = model;
    expected.PreviewDSK(45);
    VERIFY_NEAR(model.WorkingCS.DSK.SP, expected.WorkingCS.DSK.SP);
    QVERIFY(!Near(model.WorkingCS.DSK.SP, at30));
}

void TManagePanelTest::SameTextInAnotherDocumentStillPreviews() {
    // The field already shows the accepted 45 (loaded for another document), so loading
    // it is no change; the cancelled 30 must not survive in the working values anyway.
    TMDIChild* first = AnalyseSample();
    Form->OpenManagePanel(3);
    Type(*Panel().FirstEdit, "30");
    Button("SpeedButtonCancel")->click();
    TMDIChild* second = AnalyseSample();
    QVERIFY(second != first);
    Form->OpenManagePanel(3);
    QCOMPARE(Panel().FirstEdit->Field().text(), QStringLiteral("45"));
    Button("SpeedButtonCancel")->click();

    Form->MdiArea().setActiveSubWindow(qobject_cast<QMdiSubWindow*>(first->parentWidget()));
    QCOMPARE(Form->ActiveDocument(), first);
    QCOMPARE(first->Model.WorkingCS.DSK.Nu, 30.0);
    Form->OpenManagePanel(3);
    QCOMPARE(Panel().FirstEdit->Field().text(), QStringLiteral("45"));
    QCOMPARE(first->Model.WorkingCS.DSK.Nu, 45.0);
    Button("SpeedButtonOK")->click();
    QCOMPARE(first->Model.AcceptedCS.DSK.Nu, 45.0);
}

void TManagePanelTest::StaticOnFreshModelPreviewsTheAxis() {
    TMDIChild* document = AnalyseSample();
    tessarin::model::TModel& model = document->Model;
    // Something else in the working values, to see that the preview ran.
    model.WorkingCS.SSK.OP = {1, 0, 0};
    model.WorkingCS.SSK.GN = 90;
    Form->OpenManagePanel(1);
    QCOMPARE(Panel().FirstEdit->Field().text(), QStringLiteral("0"));
    QCOMPARE(Panel().SecondEdit->Field().text(), QStringLiteral("0"));
    VERIFY_NEAR(model.WorkingCS.SSK.OP, (TVector3{0, 0, 1}));
    QCOMPARE(model.WorkingCS.SSK.GN, 0.0);
    // While the panel is open the view draws the working values.
    QVERIFY(Form->PanelOpen());
}

void TManagePanelTest::TypedValueAboveTheBoundIsClamped() {
    TMDIChild* document = AnalyseSample();
    tessarin::model::TModel& model = document->Model;
    Form->OpenManagePanel(1);
    Type(*Panel().FirstEdit, "100");
    QCOMPARE(Panel().FirstEdit->Field().text(), QStringLiteral("90"));
    QCOMPARE(model.WorkingCS.SSK.GN, 90.0);
    VERIFY_NEAR(model.WorkingCS.SSK.OP, (TVector3{1, 0, std::cos(M_PI / 2)}));
    Type(*Panel().SecondEdit, "90");
    QCOMPARE(model.WorkingCS.SSK.Mu, 90.0);
    QCOMPARE(model.AcceptedCS.SSK.GN, 0.0);
}

void TManagePanelTest::EnterIsOkEscapeIsCancel() {
    TMDIChild* document = AnalyseSample();
    Dialogs->Clear();
    tessarin::model::TModel& model = document->Model;
    Form->OpenManagePanel(2);
    Type(*Panel().FirstEdit, "7");
    QTest::keyClick(&Panel().FirstEdit->Field(), Qt::Key_Return);
    QCOMPARE(Panel().Mode, 0);
    QCOMPARE(model.AcceptedCS.KSK.Eta, 7.0);

    Form->OpenManagePanel(2);
    Type(*Panel().FirstEdit, "12");
    QTest::keyClick(&Panel().FirstEdit->Field(), Qt::Key_Escape);
    QCOMPARE(Panel().Mode, 0);
    QCOMPARE(model.AcceptedCS.KSK.Eta, 7.0);
    QVERIFY(Dialogs->Shown().isEmpty());
}

void TManagePanelTest::InvalidFieldIsMarkedNotPreviewedNotAccepted() {
    TMDIChild* document = AnalyseSample();
    Dialogs->Clear();
    tessarin::model::TModel& model = document->Model;
    Form->OpenManagePanel(1);
    Type(*Panel().FirstEdit, "20");
    QCOMPARE(model.WorkingCS.SSK.GN, 20.0);
    // "5-" on the way to "-5": no box, the field is marked and the preview stays.
    Type(*Panel().FirstEdit, "5-");
    QVERIFY(Dialogs->Shown().isEmpty());
    QVERIFY(!Panel().FirstEdit->Valid());
    QVERIFY(!Panel().FirstEdit->Field().toolTip().isEmpty());
    QCOMPARE(model.WorkingCS.SSK.GN, 5.0);  // the last text that read: "5"
    QVERIFY(!Panel().FieldsValid());

    // OK, by button or by Enter, is refused while the field is marked.
    Dialogs->Clear();
    Button("SpeedButtonOK")->click();
    QTest::keyClick(&Panel().SecondEdit->Field(), Qt::Key_Return);
    QCOMPARE(Panel().Mode, 1);
    QCOMPARE(model.AcceptedCS.SSK.GN, 0.0);
    QVERIFY(!model.ExistedCS[tessarin::model::kExistedSSK]);
    QVERIFY(Dialogs->Shown().isEmpty());

    Type(*Panel().FirstEdit, "-5");
    QVERIFY(Panel().FieldsValid());
    Button("SpeedButtonOK")->click();
    QCOMPARE(Panel().Mode, 0);
    QCOMPARE(model.AcceptedCS.SSK.GN, -5.0);
}

void TManagePanelTest::OkOnStaticSystemDefinesThreeSystems() {
    TMDIChild* document = AnalyseSample();
    tessarin::model::TModel& model = document->Model;
    QVERIFY(!document->SideBarGroupShown(2));
    QVERIFY(!Command("ButtonViewFeedPlan")->isEnabled());
    Form->OpenManagePanel(1);
    Type(*Panel().FirstEdit, "10");
    Type(*Panel().SecondEdit, "30");
    Button("SpeedButtonOK")->click();

    QCOMPARE(Form->ManagePanelMode(), 0);
    QVERIFY(model.ExistedCS[tessarin::model::kExistedSSK]);
    QVERIFY(!model.ExistedCS[tessarin::model::kExistedKSK]);
    QVERIFY(model.ExistedCS[tessarin::model::kExistedDSK]);
    QVERIFY(model.ExistedCS[tessarin::model::kExistedFeedPlan]);
    QCOMPARE(model.AcceptedCS.SSK.GN, 10.0);
    QCOMPARE(model.AcceptedCS.SSK.Mu, 30.0);
    // The same as the core's sequence from the same angles.
    tessarin::model::TModel expected(model.DecimalSeparator);
    expected.CutEdge = model.CutEdge;
    expected.PreviewSSK(10, 30);
    QVERIFY(expected.AcceptStaticSystem().Ok());
    QCOMPARE(model.AcceptedCS, expected.AcceptedCS);
    // The kinematic and dynamic groups show, and the command states were brought up to
    // date: the working plane can be shown now, the file commands are back.
    QVERIFY(document->SideBarGroupShown(2));
    QVERIFY(document->SideBarGroupShown(3));
    QVERIFY(Command("ButtonViewFeedPlan")->isEnabled());
    QVERIFY(Command("ButtonNew")->isEnabled());
    QVERIFY(document->SideBarEnabled());
}

void TManagePanelTest::RedefinedSystemDropsItsAnglesFromEveryView() {
    TMDIChild* document = AnalyseSample();
    tessarin::model::TModel& model = document->Model;
    Form->OpenManagePanel(1);
    Type(*Panel().FirstEdit, "10");
    Button("SpeedButtonOK")->click();
    document->SideBarItemClick(0, 0);   // the tool system's angles
    document->SideBarItemClick(1, 2);   // the static angles with GN 10
    document->Bar().SetActiveGroup(1);  // the property list shows the static system
    QCOMPARE(int(model.CurrentCS), 1);
    QVERIFY(model.DefinedAngles[tessarin::model::kSSK]);
    QVERIFY(document->Data().Tree().FindNode(6) != nullptr);
    const auto answered = [&] {
        for (const auto& [name, value] : document->Properties().Rows()) {
            if (name == QStringLiteral("Углы рассчитаны?")) {
                return value;
            }
        }
        return QString();
    };
    QCOMPARE(answered(), QStringLiteral("Да"));

    // GN 0 accepted without computing: the GN-10 angles must not stay on show.
    Form->OpenManagePanel(1);
    Type(*Panel().FirstEdit, "0");
    Button("SpeedButtonOK")->click();
    QVERIFY(!model.DefinedAngles[tessarin::model::kSSK]);
    QVERIFY(model.DefinedAngles[tessarin::model::kISK]);
    QCOMPARE(answered(), QStringLiteral("Нет"));
    QVERIFY(document->Data().Tree().FindNode(6) == nullptr);
    QVERIFY(document->Data().Tree().FindNode(2) != nullptr);
    for (const int k : document->Data().ShownColumns()) {
        QVERIFY2(k < 6 || k > 9, qPrintable(QString::number(k)));
    }
    QVERIFY(model.Columns[6].empty());
    QVERIFY(model.Series(6).GetPoints().empty());
}

void TManagePanelTest::PanelDisablesCommandsUntilClosed() {
    TMDIChild* document = AnalyseSample();
    Form->OpenManagePanel(2);
    for (const char* name : {"ButtonNew", "ButtonOpen", "ButtonSave", "ButtonCutEdge",
                             "ButtonSelection", "ButtonRemoveCE"}) {
        QVERIFY2(!Command(name)->isEnabled(), name);
    }
    QVERIFY(!document->SideBarEnabled());
    QVERIFY(Command("ButtonViewIso")->isEnabled());  // the view commands keep working
    Type(*Panel().FirstEdit, "7");
    Button("SpeedButtonCancel")->click();
    QVERIFY(Command("ButtonNew")->isEnabled());
    QVERIFY(document->SideBarEnabled());
    QCOMPARE(document->Model.AcceptedCS.KSK.Eta, 0.0);
    QVERIFY(!document->Model.ExistedCS[tessarin::model::kExistedKSK]);
}

void TManagePanelTest::PickedSegmentMovesThePlaneAndResetRestoresIt() {
    TMDIChild* document = AnalyseSample();
    tessarin::model::TModel& model = document->Model;
    QVERIFY(model.SegmentCount > 5);
    Form->OpenManagePanel(1);
    Button("SpeedButtonOK")->click();
    model.AcceptedCS.FeedPlan.HCE = 2;
    model.WorkingCS.FeedPlan.HCE = 2;

    Form->OpenManagePanel(4);
    Type(*Panel().FirstEdit, "20");
    VERIFY_NEAR(model.WorkingCS.FeedPlan.FP, ExpectedPlane(model, 2, 20));
    // "Выбрать" on the row of segment 5 sets HCE and tells the panel.
    PickRow(*document, 5);
    VERIFY_NEAR(model.WorkingCS.FeedPlan.FP, ExpectedPlane(model, 5, 20));

    // "Сброс": the accepted angle and segment, and the plane for both.
    Button("SpeedButtonSkip")->click();
    QCOMPARE(Form->ManagePanelMode(), 4);
    QCOMPARE(Panel().FirstEdit->Field().text(), QStringLiteral("0"));
    QCOMPARE(model.WorkingCS.FeedPlan.HCE, 2);
    VERIFY_NEAR(model.WorkingCS.FeedPlan.FP, ExpectedPlane(model, 2, 0));

    // What OK accepts is the plane shown.
    PickRow(*document, 4);
    Button("SpeedButtonOK")->click();
    QCOMPARE(model.AcceptedCS.FeedPlan.HCE, 4);
    VERIFY_NEAR(model.AcceptedCS.FeedPlan.FP, ExpectedPlane(model, 4, 0));
}

void TManagePanelTest::ResetRestoresTheTableRow_data() {
    QTest::addColumn<bool>("inSelection");
    QTest::newRow("cutting edge") << false;
    // The rows are the selected segments: a row's segment is found by its number.
    QTest::newRow("selection") << true;
}

void TManagePanelTest::ResetRestoresTheTableRow() {
    QFETCH(bool, inSelection);
    TMDIChild* document = AnalyseSample();
    tessarin::model::TModel& model = document->Model;
    QTableView& table = document->Data().Table();
    document->Bar().Item(1, 0)->click();  // "Определить систему координат"
    Button("SpeedButtonOK")->click();
    if (inSelection) {
        document->Bar().Item(0, 0)->click();  // "Рассчитать углы" of the tool system
        SelectNonPositiveToolRakes();
        QVERIFY(document->ShowSelection);
        QVERIFY(model.SelectCutEdge.size() > 3);
        QCOMPARE(table.model()->rowCount(), static_cast<int>(model.SelectCutEdge.size()));
    }
    // The cutting-edge index of the segment shown in `row`.
    auto segmentOf = [&](int row) {
        return inSelection ? model.SelectCutEdge[static_cast<std::size_t>(row)].Number - 1 : row;
    };
    constexpr int accepted = 3;
    const int other = inSelection ? 1 : 6;
    QVERIFY(segmentOf(accepted) != segmentOf(other));

    document->Bar().Item(1, 1)->click();  // "Определить рабочую плоскость"
    QCOMPARE(Form->ManagePanelMode(), 4);
    PickRow(*document, accepted);
    Button("SpeedButtonOK")->click();
    QCOMPARE(model.AcceptedCS.FeedPlan.HCE, segmentOf(accepted));

    document->Bar().Item(1, 1)->click();
    QCOMPARE(table.currentIndex().row(), accepted);
    PickRow(*document, other);
    QCOMPARE(model.WorkingCS.FeedPlan.HCE, segmentOf(other));
    VERIFY_NEAR(model.WorkingCS.FeedPlan.FP, ExpectedPlane(model, segmentOf(other), 0));

    Button("SpeedButtonSkip")->click();
    QCOMPARE(table.currentIndex().row(), accepted);
    QCOMPARE(document->Data().ChosenRows(), std::make_pair(accepted, accepted));
    QCOMPARE(model.WorkingCS.FeedPlan.HCE, segmentOf(accepted));
    VERIFY_NEAR(model.WorkingCS.FeedPlan.FP, ExpectedPlane(model, segmentOf(accepted), 0));

    // Closing the panel in pick mode ends it.
    Button("SpeedButtonPick")->click();
    QVERIFY(document->InPickMode());
    Button("SpeedButtonCancel")->click();
    QVERIFY(!document->InPickMode());
    QVERIFY(document->SideBarEnabled());

    // A row picked and then cancelled is gone when the panel opens again: it shows,
    // previews and would accept the accepted segment, as the angle is the accepted one.
    document->Bar().Item(1, 1)->click();
    PickRow(*document, other);
    Button("SpeedButtonCancel")->click();
    document->Bar().Item(1, 1)->click();
    QCOMPARE(model.WorkingCS.FeedPlan.HCE, segmentOf(accepted));
    QCOMPARE(table.currentIndex().row(), accepted);
    VERIFY_NEAR(model.WorkingCS.FeedPlan.FP, ExpectedPlane(model, segmentOf(accepted), 0));
    Button("SpeedButtonCancel")->click();
}

void TManagePanelTest::MainSegmentOutsideTheSelectionHasNoRow() {
    TMDIChild* document = AnalyseSample();
    tessarin::model::TModel& model = document->Model;
    document->Bar().Item(1, 0)->click();
    Button("SpeedButtonOK")->click();
    document->Bar().Item(0, 0)->click();
    SelectNonPositiveToolRakes();
    QVERIFY(document->ShowSelection);
    // A segment left out of the selection.
    std::int32_t outside = 0;
    while (document->Data().RowOfSegment(outside) >= 0) {
        ++outside;
    }
    QVERIFY(outside < model.SegmentCount);
    model.AcceptedCS.FeedPlan.HCE = outside;
    model.WorkingCS.FeedPlan.HCE = outside;
    document->Data().ChooseRows(0, 2);

    // No row of another segment is offered as the main one.
    document->Bar().Item(1, 1)->click();
    QVERIFY(!document->Data().Table().currentIndex().isValid());
    QCOMPARE(document->Data().ChosenRows(), std::make_pair(-1, -1));
    Button("SpeedButtonOK")->click();
    QCOMPARE(model.AcceptedCS.FeedPlan.HCE, outside);
}

void TManagePanelTest::ClosingEndsPickModeWhereItBegan() {
    TMDIChild* first = AnalyseSample();
    TMDIChild* second = AnalyseSample();
    Form->MdiArea().setActiveSubWindow(qobject_cast<QMdiSubWindow*>(first->parentWidget()));
    first->Bar().Item(1, 0)->click();
    Button("SpeedButtonOK")->click();
    first->Bar().Item(1, 1)->click();
    Button("SpeedButtonPick")->click();
    QVERIFY(first->InPickMode());
    // The panel goes on with the other document, and is closed there.
    Form->MdiArea().setActiveSubWindow(qobject_cast<QMdiSubWindow*>(second->parentWidget()));
    QCOMPARE(Form->ActiveDocument(), second);
    Button("SpeedButtonCancel")->click();
    QVERIFY(!first->InPickMode());
    QCOMPARE(first->Data().Table().viewport()->cursor().shape(), Qt::ArrowCursor);
    // Rows can be chosen as a range again, as "Отбросить отрезки РК" needs.
    QCOMPARE(first->Data().Table().selectionMode(), QAbstractItemView::ContiguousSelection);

    // "Указать" in one document and then in the other: closing ends both, not only the
    // last, or the first table keeps offering "Выбрать" with the panel gone.
    Form->MdiArea().setActiveSubWindow(qobject_cast<QMdiSubWindow*>(first->parentWidget()));
    first->Bar().Item(1, 1)->click();
    Button("SpeedButtonPick")->click();
    Form->MdiArea().setActiveSubWindow(qobject_cast<QMdiSubWindow*>(second->parentWidget()));
    Button("SpeedButtonPick")->click();
    QVERIFY(!first->InPickMode() && second->InPickMode());
    Button("SpeedButtonCancel")->click();
    QVERIFY(!first->InPickMode());
    QVERIFY(!second->InPickMode());
}

void TManagePanelTest::PickMovesThePointerOntoTheTable() {
    TMDIChild* document = AnalyseSample();
    auto* table = document->findChild<QAbstractItemView*>(QStringLiteral("StringGridData"));
    QVERIFY(table != nullptr);
    Form->OpenManagePanel(1);
    Button("SpeedButtonOK")->click();

    // With SmartCursor off the pointer stays where it is.
    const QPoint away(3, 4);
    QCursor::setPos(away);
    Form->OpenManagePanel(4);
    Button("SpeedButtonPick")->click();
    QCOMPARE(QCursor::pos(), away);
    Button("SpeedButtonCancel")->click();

    Settings->Values.SmartCursor = true;
    Form->OpenManagePanel(4);
    Button("SpeedButtonPick")->click();
    QCOMPARE(QCursor::pos(), table->mapToGlobal(QPoint(120, 120)));
    Button("SpeedButtonCancel")->click();
    // "Указать" exists in the working-plane mode only.
    Form->OpenManagePanel(3);
    QVERIFY(Button("SpeedButtonPick")->isHidden());
}

void TManagePanelTest::ActiveDocumentChangeRepreviews() {
    TMDIChild* first = AnalyseSample();
    TMDIChild* second = AnalyseSample();
    Form->OpenManagePanel(3);
    Type(*Panel().FirstEdit, "20");
    QCOMPARE(second->Model.WorkingCS.DSK.Nu, 20.0);
    // The panel stays open and now works on the first document, as the field shows.
    Form->MdiArea().setActiveSubWindow(qobject_cast<QMdiSubWindow*>(first->parentWidget()));
    QCOMPARE(Form->ActiveDocument(), first);
    QCOMPARE(Form->ManagePanelMode(), 3);
    QCOMPARE(first->Model.WorkingCS.DSK.Nu, 20.0);
    Button("SpeedButtonOK")->click();
    QCOMPARE(first->Model.AcceptedCS.DSK.Nu, 20.0);
    QCOMPARE(second->Model.AcceptedCS.DSK.Nu, 45.0);
}

void TManagePanelTest::ClosingTheLastDocumentClosesThePanel() {
    TMDIChild* document = AnalyseSample();
    Form->OpenManagePanel(4);
    Button("SpeedButtonPick")->click();  // the table going away is in pick mode
    Dialogs->Answer({TAnswer::No});
    document->parentWidget()->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCOMPARE(Form->OpenDocumentCount(), 0);
    QCOMPARE(Form->ManagePanelMode(), 0);
    QVERIFY(Panel().GroupBox().isHidden());
    QVERIFY(Command("ButtonNew")->isEnabled());
    // The buttons do nothing harmful without a document.
    Panel().SpeedButtonSkipClick();
    Panel().SpeedButtonPickClick();
    Panel().Preview();
}

QTEST_MAIN(TManagePanelTest)
#include "manage_panel_test.moc"
