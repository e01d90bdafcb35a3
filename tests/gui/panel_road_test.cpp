// The whole analysis of the bundled sample done through the program's windows alone, as
// a user does it, drawn for real (Xvfb with Mesa): the side bar opens the parameter panel
// for the static system with GN 10 and Mu 30, the working plane with Phi 45 on a main
// segment clicked in the table and chosen with "Выбрать" from its pop-up, the kinematic
// system with Eta 5 and the dynamic one with Nu 45, and computes the angles of all four
// systems; a selection is typed into the selection dialog. The saved project must be
// byte for byte the batch tool's for the same options. While the panel is open the view
// draws the values being typed.
//
// With TESSARIN_SCREENSHOT_DIR=<folder> in the environment, the main window is saved in
// each mode of the panel and the selection dialog as it is filled in
// (scripts/panel_screenshots.sh).
#include <QtTest>

#include <QDialog>

#include <QAction>
#include <QDir>
#include <QGroupBox>
#include <QImage>
#include <QLineEdit>
#include <QMenu>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QToolButton>

#include <memory>

#include "document/data_panel.h"
#include "document/data_tree.h"
#include "document/mdi_child.h"
#include "document/side_bar.h"
#include "model/model.h"
#include "shell/float_edit.h"
#include "shell/main_window.h"
#include "shell/manage_panel.h"
#include "shell/select_dialog.h"
#include "tests/gui/support/find_child.h"
#include "tests/gui/support/memory_settings.h"
#include "tests/gui/support/scripted_dialogs.h"
#include "view/scene_view.h"

using tessarin::document::TMDIChild;
using tessarin::document::TSideBar;
using tessarin::shell::TAnswer;
using tessarin::shell::TFloatEdit;
using tessarin::shell::TMainForm;
using tessarin::shell::TSelectDlg;
using tessarin::test::TMemorySettings;
using tessarin::test::TScriptedDialogs;

namespace {

const QString kSample = QStringLiteral(TESSARIN_SAMPLES "/cutter.stl");
// The main segment chosen for the working plane.
constexpr int kMainSegment = 7;

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace

class TPanelRoadTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void RoadMatchesTheBatchTool();

private:
    QAction* Command(const char* name) const;
    QToolButton* Button(const char* name) const;
    void Type(TFloatEdit& edit, const QString& text);
    void SideBarClick(TMDIChild& document, int group, int item);
    void Snapshot(QWidget& widget, const QString& name);

    std::unique_ptr<QTemporaryDir> Folder;
    std::unique_ptr<TScriptedDialogs> Dialogs;
    std::unique_ptr<TMemorySettings> Settings;
    std::unique_ptr<TMainForm> Form;
};

void TPanelRoadTest::init() {
    Folder = std::make_unique<QTemporaryDir>();
    QVERIFY(Folder->isValid());
    Dialogs = std::make_unique<TScriptedDialogs>();
    Settings = std::make_unique<TMemorySettings>();
    Form = std::make_unique<TMainForm>(*Dialogs, *Settings);
    Form->resize(1280, 800);
    Form->show();
    QVERIFY(QTest::qWaitForWindowExposed(Form.get()));
}

void TPanelRoadTest::cleanup() {
    QVERIFY2(Dialogs->Unscripted().isEmpty(), qPrintable(Dialogs->Unscripted().join("; ")));
    Form.reset();
    Settings.reset();
    Dialogs.reset();
    Folder.reset();
}

QAction* TPanelRoadTest::Command(const char* name) const {
    return tessarin::test::FindChild<QAction>(*Form, name);
}

QToolButton* TPanelRoadTest::Button(const char* name) const {
    return tessarin::test::FindChild<QToolButton>(Form->ManagePanel().GroupBox(), name);
}

void TPanelRoadTest::Type(TFloatEdit& edit, const QString& text) {
    edit.Field().setFocus();
    edit.Field().selectAll();
    QTest::keyClick(&edit.Field(), Qt::Key_Backspace);
    QTest::keyClicks(&edit.Field(), text);
}

void TPanelRoadTest::Snapshot(QWidget& widget, const QString& name) {
    const QString folder = qEnvironmentVariable("TESSARIN_SCREENSHOT_DIR");
    if (folder.isEmpty()) {
        return;
    }
    QCoreApplication::processEvents();
    QDir().mkpath(folder);
    QVERIFY(widget.grab().save(QDir(folder).filePath(name + ".png"), "PNG"));
}

void TPanelRoadTest::SideBarClick(TMDIChild& document, int group, int item) {
    TSideBar& bar = document.Bar();
    QTest::mouseClick(bar.findChild<QPushButton*>(QStringLiteral("SideBarGroup%1").arg(group)),
                      Qt::LeftButton);
    QCOMPARE(bar.ActiveGroup(), group);
    QToolButton* button = bar.Item(group, item);
    QVERIFY(button->isVisible() && button->isEnabled());
    QTest::mouseClick(button, Qt::LeftButton);
}

void TPanelRoadTest::RoadMatchesTheBatchTool() {
    Command("ButtonNew")->trigger();
    Dialogs->ChooseFile(kSample);
    Dialogs->CloseModal(QDialog::Accepted);  // "Параметры импорта"
    Command("ButtonOpenSTL")->trigger();
    Command("ButtonSortFaces")->trigger();
    Command("ButtonCutEdge")->trigger();
    TMDIChild* document = Form->ActiveDocument();
    QVERIFY(document != nullptr && document->Model.SegmentCount > kMainSegment);
    QVERIFY(document->PanelsShown());
    tessarin::model::TModel& model = document->Model;
    Command("ButtonViewIso")->trigger();
    Command("ButtonViewCS")->trigger();
    tessarin::shell::TManagePanel& panel = Form->ManagePanel();

    // The static system. The side bar waits while the panel is open.
    SideBarClick(*document, 1, 0);  // "Определить систему координат"
    QCOMPARE(Form->ManagePanelMode(), 1);
    QVERIFY(!document->SideBarEnabled());
    Type(*panel.FirstEdit, "10");
    Type(*panel.SecondEdit, "30");
    Snapshot(*Form, "panel_mode1_static");
    Button("SpeedButtonOK")->click();
    QVERIFY(document->SideBarEnabled());
    QVERIFY(model.ExistedCS[tessarin::model::kExistedFeedPlan]);
    Command("ButtonViewFeedPlan")->trigger();

    // The working plane: the angle typed, the main segment picked in the table. The view
    // draws the plane being typed and then the one on the picked segment.
    SideBarClick(*document, 1, 1);  // "Определить рабочую плоскость"
    QCOMPARE(Form->ManagePanelMode(), 4);
    const QImage atZero = document->View().GrabScene();
    Type(*panel.FirstEdit, "45");
    QVERIFY(document->View().GrabScene() != atZero);
    // Without a window manager nothing gives the main window its activation back after
    // the progress window of the long operations; the keyboard focus needs it.
    Form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(Form.get()));
    Button("SpeedButtonPick")->click();
    QTableView& table = document->Data().Table();
    QVERIFY(document->InPickMode());
    QTRY_COMPARE(QApplication::focusWidget(), &table);
    const QModelIndex cell = table.model()->index(kMainSegment, 1);
    table.scrollTo(cell);
    const QPoint at = table.visualRect(cell).center();
    QTest::mouseClick(table.viewport(), Qt::LeftButton, Qt::NoModifier, at);
    QCOMPARE(table.currentIndex().row(), kMainSegment);
    const QImage onFirstSegment = document->View().GrabScene();
    // "Выбрать" from the pop-up the right button brings up.
    QContextMenuEvent rightClick(QContextMenuEvent::Mouse, at, table.viewport()->mapToGlobal(at));
    QApplication::sendEvent(table.viewport(), &rightClick);
    auto* popup = document->findChild<QMenu*>(QStringLiteral("PopupMenuTable"));
    QVERIFY(popup != nullptr);
    QTRY_VERIFY(popup->isVisible());
    QAction* choose = popup->findChild<QAction*>(QStringLiteral("N1"));
    QCOMPARE(choose->text(), QStringLiteral("Выбрать"));
    QTest::mouseClick(popup, Qt::LeftButton, Qt::NoModifier,
                      popup->actionGeometry(choose).center());
    QTRY_VERIFY(!popup->isVisible());
    QVERIFY(!document->InPickMode());
    QCOMPARE(model.WorkingCS.FeedPlan.HCE, kMainSegment);
    QVERIFY(document->View().GrabScene() != onFirstSegment);
    Snapshot(*Form, "panel_mode4_working_plane");
    Button("SpeedButtonOK")->click();
    QCOMPARE(model.AcceptedCS.FeedPlan.HCE, kMainSegment);
    QCOMPARE(model.AcceptedCS.FeedPlan.Phi, 45.0);
    QVERIFY(document->SideBarGroupShown(2) && document->SideBarGroupShown(3));

    SideBarClick(*document, 2, 0);
    QCOMPARE(Form->ManagePanelMode(), 2);
    Type(*panel.FirstEdit, "5");
    Snapshot(*Form, "panel_mode2_kinematic");
    Button("SpeedButtonOK")->click();

    SideBarClick(*document, 3, 0);
    QCOMPARE(Form->ManagePanelMode(), 3);
    Type(*panel.FirstEdit, "30");
    Type(*panel.FirstEdit, "45");
    Snapshot(*Form, "panel_mode3_dynamic");
    Button("SpeedButtonOK")->click();
    QVERIFY(model.ExistedCS[tessarin::model::kExistedKSK]);
    QCOMPARE(model.AcceptedCS.DSK.Nu, 45.0);

    // "Рассчитать углы" of every system.
    for (const auto& [group, item] : {std::pair{0, 0}, {1, 2}, {2, 1}, {3, 1}}) {
        SideBarClick(*document, group, item);
    }
    // The root, four systems and their 3 + 4 + 4 + 4 angles, the derived angles of the
    // four (4 + 9 + 9 + 9) and the edge node; the last system computed shown.
    QCOMPARE(document->Data().Tree().NodeKinds().size(), std::size_t{20 + 31 + 1});
    QCOMPARE(document->Data().Tree().SelectedKinds(), std::vector<int>{16});

    // The selection.
    Dialogs->WorkModal([this](QDialog& shown) {
        auto& dialog = static_cast<TSelectDlg&>(shown);
        dialog.show();
        dialog.SetText(3, QStringLiteral("-3,4..9,067 "));
        dialog.SetText(13, QStringLiteral("0..-5,8; -7..-9,6; 3,2..90"));
        dialog.Logic(1).click();
        Snapshot(dialog, "select_dialog");
        dialog.OKButton().click();
        return dialog.result();
    });
    Command("ButtonSelection")->trigger();
    QVERIFY(model.SelectCutEdgeExist);
    QVERIFY(document->ShowSelection);
    QCOMPARE(document->Data().Tree().SelectedKinds(), std::vector<int>{22});
    QCOMPARE(table.model()->rowCount(), static_cast<int>(model.SelectCutEdge.size()));

    // The project keeps the side bar's open group ("Current CS"); the batch tool's is the
    // tool system's.
    QTest::mouseClick(document->Bar().findChild<QPushButton*>(QStringLiteral("SideBarGroup0")),
                      Qt::LeftButton);
    QCOMPARE(model.CurrentCS, std::uint8_t{0});
    const QString ours = Folder->filePath("gui.tsf");
    Dialogs->ChooseFile(ours);
    Command("ButtonSaveAs")->trigger();

    const QString theirs = Folder->filePath("cli.tsf");
    QProcess cli;
    cli.start(QStringLiteral(TESSARIN_CLI), {"analyze",
                                             kSample,
                                             "-o",
                                             theirs,
                                             "--decimal-separator",
                                             ",",
                                             "--stl-name",
                                             document->StlFileName,
                                             "--ssk",
                                             "10,30",
                                             "--feedplan",
                                             QStringLiteral("45,%1").arg(kMainSegment),
                                             "--ksk",
                                             "5",
                                             "--dsk",
                                             "45",
                                             "--compute",
                                             "isk,ssk,ksk,dsk",
                                             "--range",
                                             "ssk.g=-3,4..9,067 ",
                                             "--range",
                                             "dsk.l=0..-5,8; -7..-9,6; 3,2..90",
                                             "--select-logic",
                                             "or",
                                             "--quiet"});
    QVERIFY(cli.waitForFinished(60000));
    QVERIFY2(cli.exitStatus() == QProcess::NormalExit && cli.exitCode() == 0,
             cli.readAllStandardError().constData());
    const QByteArray saved = ReadAll(ours);
    QVERIFY(!saved.isEmpty());
    if (saved != ReadAll(theirs)) {
        QFile::copy(ours, QDir::temp().filePath("panel_road_gui.tsf"));
        QFile::copy(theirs, QDir::temp().filePath("panel_road_cli.tsf"));
        QFAIL("the program's project differs from the batch tool's (copies in the temp folder)");
    }
    QVERIFY(Form->close());  // saved: nothing to ask
}

QTEST_MAIN(TPanelRoadTest)
#include "panel_road_test.moc"
