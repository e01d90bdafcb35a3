// The document a command was chosen in stays the active one through every kind of modal
// interaction: a message box, a question, a file dialog and a dialog of the program's
// own, shown for real (Xvfb) and closed by the keyboard as a user would. Closing a modal
// window hands the focus back to the main window, which gives it to the widget that last
// had it there; that widget must belong to the document the command worked on.
#include <QtTest>

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QTimer>

#include <functional>
#include <memory>

#include "document/data_panel.h"
#include "document/mdi_child.h"
#include "shell/dialogs.h"
#include "shell/float_edit.h"
#include "shell/main_window.h"
#include "shell/manage_panel.h"
#include "shell/select_dialog.h"
#include "tests/gui/support/find_child.h"
#include "tests/gui/support/memory_settings.h"

using tessarin::document::TMDIChild;
using tessarin::shell::TFloatEdit;
using tessarin::shell::TMainForm;
using tessarin::shell::TSelectDlg;
using tessarin::shell::TWidgetDialogs;
using tessarin::test::TMemorySettings;

namespace {

const QString kSampleProject = QStringLiteral(TESSARIN_SAMPLES "/cutter.tsf");

// Presses Escape in the next modal window once it is up: the most cautious answer of
// every kind of dialog.
void EscapeNextModal() {
    auto* timer = new QTimer;
    timer->setInterval(50);
    QObject::connect(timer, &QTimer::timeout, timer, [timer] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr || !modal->isVisible()) {
            return;
        }
        timer->stop();
        timer->deleteLater();
        QTest::keyClick(modal, Qt::Key_Escape);
    });
    timer->start();
}

}  // namespace

class TModalFocusTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void ModalKeepsTheActiveDocument_data();
    void ModalKeepsTheActiveDocument();
    void F10OpensTheFirstMenu();
    // With TESSARIN_GUI_SHOTS=<folder>: pictures of two documents side by side, of the
    // parameter panel with a field that does not read, and of the selection dialog.
    void Pictures();

private:
    QAction* Command(const char* name) const {
        return tessarin::test::FindChild<QAction>(*Form, name);
    }

    std::unique_ptr<TWidgetDialogs> Dialogs;
    std::unique_ptr<TMemorySettings> Settings;
    std::unique_ptr<TMainForm> Form;
};

void TModalFocusTest::init() {
    Dialogs = std::make_unique<TWidgetDialogs>();
    Settings = std::make_unique<TMemorySettings>();
    Form = std::make_unique<TMainForm>(*Dialogs, *Settings);
    Form->SetHelpFolder(QStringLiteral("/nonexistent/help"));
    Form->resize(1200, 900);
    Form->show();
    QVERIFY(QTest::qWaitForWindowExposed(Form.get()));
    Form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(Form.get()));
}

void TModalFocusTest::cleanup() {
    for (const TMainForm::TDocumentSlot& slot : Form->Documents()) {
        if (slot.Alive()) {
            slot.Window->Model.SurfaceData.Modified = false;
        }
    }
    Form.reset();
    Settings.reset();
    Dialogs.reset();
}

void TModalFocusTest::ModalKeepsTheActiveDocument_data() {
    QTest::addColumn<QString>("command");
    // Which of the three documents the command is chosen in; -1 for the one Ctrl+N has
    // just made.
    QTest::addColumn<int>("active");
    QTest::newRow("message box") << "ButtonHelp" << -1;
    QTest::newRow("question") << "ButtonOpenSTL" << 1;
    QTest::newRow("file dialog") << "ButtonOpen" << -1;
    QTest::newRow("modal dialog") << "ButtonAbout" << -1;
    QTest::newRow("modal dialog in the first") << "ButtonAbout" << 0;
    QTest::newRow("save dialog in the first") << "ButtonSaveAs" << 0;
}

void TModalFocusTest::ModalKeepsTheActiveDocument() {
    QFETCH(QString, command);
    QFETCH(int, active);
    // Two projects, their data panels shown, and a new document made by Ctrl+N.
    Form->OpenFiles({kSampleProject, kSampleProject});
    QTest::qWait(100);
    QTest::keyClick(Form.get(), Qt::Key_N, Qt::ControlModifier);
    QCOMPARE(Form->OpenDocumentCount(), 3);
    QTest::qWait(100);
    if (active < 0) {
        active = 2;
    } else {
        // Chosen in the window list.
        auto* window = qobject_cast<QMdiSubWindow*>(
            Form->Documents().at(static_cast<std::size_t>(active)).Window->parentWidget());
        Form->MdiArea().setActiveSubWindow(window);
        QTest::qWait(100);
    }
    QCOMPARE(Form->CurrentDocument(), active);
    QMdiSubWindow* chosen = Form->MdiArea().activeSubWindow();

    for (int round = 0; round < 2; ++round) {
        EscapeNextModal();
        Command(command.toLatin1().constData())->trigger();
        // A window manager activates the main window again once the modal one has gone
        // (Xvfb has none: the test does it); the main window's focus goes back to where
        // it was kept.
        Form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(Form.get()));
        QTest::qWait(100);
        QCOMPARE(Form->CurrentDocument(), active);
        QCOMPARE(Form->MdiArea().activeSubWindow(), chosen);
        QWidget* focus = QApplication::focusWidget();
        QVERIFY2(focus != nullptr && (focus == chosen || chosen->isAncestorOf(focus)),
                 qPrintable(focus != nullptr ? focus->metaObject()->className() : "no focus"));
    }
}

void TModalFocusTest::F10OpensTheFirstMenu() {
    QTest::keyClick(Form.get(), Qt::Key_F10);
    QCOMPARE(Form->menuBar()->activeAction(), Form->menuBar()->actions().constFirst());
    QCOMPARE(Form->menuBar()->activeAction()->text(), QStringLiteral("&Файл"));
    QTest::keyClick(Form->menuBar(), Qt::Key_Escape);
}

void TModalFocusTest::Pictures() {
    const QString folder = qEnvironmentVariable("TESSARIN_GUI_SHOTS");
    if (folder.isEmpty()) {
        QSKIP("TESSARIN_GUI_SHOTS is not set");
    }
    Form->resize(1400, 900);
    Form->OpenFiles({kSampleProject, kSampleProject});
    Form->MdiArea().tileSubWindows();
    TMDIChild* document = Form->ActiveDocument();
    document->Data().ChooseRows(4, 8);
    QTest::qWait(500);
    QVERIFY(Form->grab().save(folder + QStringLiteral("/two_documents.png")));

    Form->OpenManagePanel(1);
    TFloatEdit& edit = *Form->ManagePanel().FirstEdit;
    edit.Field().setFocus();
    edit.Field().selectAll();
    QTest::keyClicks(&edit.Field(), QStringLiteral("5-"));
    QTest::qWait(300);
    QVERIFY(Form->grab().save(folder + QStringLiteral("/panel_invalid.png")));
    Form->ManagePanel().SpeedButtonCancelClick();

    TSelectDlg& dialog = Form->SelectDialog();
    dialog.Prepare(false, {true, true, false, false});
    dialog.SetText(0, QStringLiteral("-3,4..9,067"));
    dialog.show();
    QTest::qWait(300);
    QVERIFY(dialog.grab().save(folder + QStringLiteral("/selection_dialog.png")));
    dialog.hide();
}

QTEST_MAIN(TModalFocusTest)
#include "modal_focus_test.moc"
