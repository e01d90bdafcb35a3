// The whole analysis road on the bundled sample through the program's own commands,
// drawn for real (Xvfb with Mesa): open the STL model, sort, find the cutting edge, save,
// close, open the project again. The project the program writes must be byte for byte
// the batch tool's for the same steps, under either decimal separator. The rows chosen
// in the table are highlighted in the 3-D view.
//
// With TESSARIN_SCREENSHOT=<file.png> in the environment, Screenshot saves the main
// window at the end of the road (scripts/screenshot.sh); DataPanelScreenshot saves it
// with the angles of the tool and static systems in the data panel
// (scripts/screenshot.sh --data-panel).
#include <QtTest>

#include <QDialog>

#include <QAction>
#include <QImage>
#include <QLabel>
#include <QMdiSubWindow>
#include <QProcess>
#include <QSplitter>
#include <QTableView>
#include <QTemporaryDir>
#include <QToolButton>

#include <memory>

#include "document/data_panel.h"
#include "document/data_tree.h"
#include "document/mdi_child.h"
#include "document/side_bar.h"
#include "shell/dialogs.h"
#include "shell/main_window.h"
#include "tests/gui/support/find_child.h"
#include "tests/gui/support/memory_settings.h"
#include "tests/gui/support/scripted_dialogs.h"
#include "view/scene_view.h"

using tessarin::document::TMDIChild;
using tessarin::shell::TAnswer;
using tessarin::shell::TMainForm;
using tessarin::test::TMemorySettings;
using tessarin::test::TScriptedDialogs;

namespace {

const QString kSample = QStringLiteral(TESSARIN_SAMPLES "/cutter.stl");

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Pixels of the cutting edge's colour (0.9, 0.9, 0.3), which only the edge is drawn in.
int EdgePixels(const QImage& frame) {
    const QImage image = frame.convertToFormat(QImage::Format_RGB32);
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            count += std::abs(qRed(line[x]) - 230) <= 3 && std::abs(qGreen(line[x]) - 230) <= 3 &&
                             std::abs(qBlue(line[x]) - 77) <= 3
                         ? 1
                         : 0;
        }
    }
    return count;
}

// Pixels of a colour, within a small tolerance.
int PixelsOf(const QImage& frame, int red, int green, int blue) {
    const QImage image = frame.convertToFormat(QImage::Format_RGB32);
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            count += std::abs(qRed(line[x]) - red) <= 3 && std::abs(qGreen(line[x]) - green) <= 3 &&
                             std::abs(qBlue(line[x]) - blue) <= 3
                         ? 1
                         : 0;
        }
    }
    return count;
}

int NonWhitePixels(const QImage& frame) {
    const QImage image = frame.convertToFormat(QImage::Format_RGB32);
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            count +=
                qRgb(qRed(line[x]), qGreen(line[x]), qBlue(line[x])) == qRgb(255, 255, 255) ? 0 : 1;
        }
    }
    return count;
}

}  // namespace

class TGuiRoadTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void RoadMatchesTheBatchTool_data();
    void RoadMatchesTheBatchTool();
    void ChosenRowsAreHighlighted();
    void F1InADocumentOpensTheHelpOnce();
    void Screenshot();
    void DataPanelScreenshot();

private:
    QAction* Command(const char* name) const;
    TMDIChild* AnalyseSample();

    std::unique_ptr<QTemporaryDir> Folder;
    std::unique_ptr<TScriptedDialogs> Dialogs;
    std::unique_ptr<TMemorySettings> Settings;
    std::unique_ptr<TMainForm> Form;
};

void TGuiRoadTest::init() {
    Folder = std::make_unique<QTemporaryDir>();
    QVERIFY(Folder->isValid());
    Dialogs = std::make_unique<TScriptedDialogs>();
    Settings = std::make_unique<TMemorySettings>();
    Form = std::make_unique<TMainForm>(*Dialogs, *Settings);
    Form->resize(1000, 700);
    Form->show();
    QVERIFY(QTest::qWaitForWindowExposed(Form.get()));
}

void TGuiRoadTest::cleanup() {
    QVERIFY2(Dialogs->Unscripted().isEmpty(), qPrintable(Dialogs->Unscripted().join("; ")));
    Form.reset();
    Settings.reset();
    Dialogs.reset();
    Folder.reset();
}

QAction* TGuiRoadTest::Command(const char* name) const {
    return tessarin::test::FindChild<QAction>(*Form, name);
}

TMDIChild* TGuiRoadTest::AnalyseSample() {
    Command("ButtonNew")->trigger();
    Dialogs->ChooseFile(kSample);
    Dialogs->CloseModal(QDialog::Accepted);  // "Параметры импорта"
    Command("ButtonOpenSTL")->trigger();
    Command("ButtonSortFaces")->trigger();
    Command("ButtonCutEdge")->trigger();
    return Form->ActiveDocument();
}

void TGuiRoadTest::RoadMatchesTheBatchTool_data() {
    QTest::addColumn<char>("separator");
    QTest::newRow("comma") << ',';
    QTest::newRow("point") << '.';
}

void TGuiRoadTest::RoadMatchesTheBatchTool() {
    QFETCH(char, separator);
    Settings->Values.DecimalSeparator = separator;

    TMDIChild* document = AnalyseSample();
    QVERIFY(document != nullptr);
    QVERIFY(document->Model.CutEdgeExist);
    QVERIFY(document->Model.SegmentCount > 0);
    QVERIFY(document->PanelsShown());
    QCOMPARE(Form->StatusPanel(0).text(), QString());  // every operation finished its progress
    QCOMPARE(Dialogs->Transcript(),
             (QStringList{"OpenFile: Открыть STL", "Modal: Параметры импорта"}));

    // The view draws the fitted model and its cutting edge, and follows the toggle.
    const QImage shown = document->View().GrabScene();
    QVERIFY(NonWhitePixels(shown) > shown.width() * shown.height() / 50);
    QVERIFY2(EdgePixels(shown) > 20, "the cutting edge is drawn");
    Command("ButtonViewCutEdge")->trigger();
    QCOMPARE(EdgePixels(document->View().GrabScene()), 0);
    Command("ButtonViewCutEdge")->trigger();

    const QString saved = Folder->filePath("gui.tsf");
    Dialogs->ChooseFile(saved);
    Command("ButtonSave")->trigger();
    QCOMPARE(document->Caption(), saved);
    const QString stlName = document->StlFileName;
    QCOMPARE(stlName, kSample);
    const int segments = document->Model.SegmentCount;

    // Saved: it closes without the save question.
    document->parentWidget()->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCOMPARE(Form->OpenDocumentCount(), 0);

    Dialogs->ChooseFile(saved);
    Command("ButtonOpen")->trigger();
    TMDIChild* reopened = Form->ActiveDocument();
    QVERIFY(reopened != nullptr);
    QCOMPARE(reopened->Caption(), saved);
    QCOMPARE(reopened->StlFileName, stlName);
    QCOMPARE(reopened->Model.SegmentCount, segments);
    QVERIFY(!reopened->Model.SurfaceData.Modified);
    QVERIFY(Command("ButtonRemoveCE")->isEnabled());
    QVERIFY(EdgePixels(reopened->View().GrabScene()) > 20);

    // The batch tool on the same model with the same stored STL name.
    const QString batch = Folder->filePath("cli.tsf");
    QProcess cli;
    cli.start(QStringLiteral(TESSARIN_CLI),
              {"analyze", kSample, "-o", batch, "--decimal-separator", QString(QChar(separator)),
               "--stl-name", stlName, "--quiet"});
    QVERIFY(cli.waitForFinished(60000));
    QVERIFY2(cli.exitStatus() == QProcess::NormalExit && cli.exitCode() == 0,
             cli.readAllStandardError().constData());
    const QByteArray ours = ReadAll(saved);
    const QByteArray theirs = ReadAll(batch);
    QVERIFY(!ours.isEmpty());
    if (ours != theirs) {
        // Keep both beside each other for a look.
        QFile::copy(saved, QDir::temp().filePath("gui_road_gui.tsf"));
        QFile::copy(batch, QDir::temp().filePath("gui_road_cli.tsf"));
        QFAIL("the program's project differs from the batch tool's (copies in the temp folder)");
    }

    // Read and written again, the project does not change.
    const QString again = Folder->filePath("again.tsf");
    Dialogs->ChooseFile(again);
    Command("ButtonSaveAs")->trigger();
    QCOMPARE(ReadAll(again), ours);
    QVERIFY(Form->close());  // saved: nothing to ask
}

void TGuiRoadTest::ChosenRowsAreHighlighted() {
    TMDIChild* document = AnalyseSample();
    QVERIFY(document != nullptr && document->Model.CutEdgeExist);
    Command("ButtonViewTop")->trigger();
    // The highlight colour (1, 0.5, 0.8) of the chosen segments; the main segment (index 0)
    // is drawn in its own colour, so the rows chosen leave it out.
    const QImage none = document->View().GrabScene();
    QCOMPARE(PixelsOf(none, 255, 128, 204), 0);
    document->Data().ChooseRows(20, 60);
    const QImage some = document->View().GrabScene();
    const int highlighted = PixelsOf(some, 255, 128, 204);
    QVERIFY2(highlighted > 20, qPrintable(QString::number(highlighted)));
    document->Data().ChooseRows(20, 120);
    QVERIFY(PixelsOf(document->View().GrabScene(), 255, 128, 204) > highlighted);
    Dialogs->Answer({TAnswer::No});
    QVERIFY(Form->close());
}

void TGuiRoadTest::F1InADocumentOpensTheHelpOnce() {
    Form->SetHelpFolder(Folder->filePath(QStringLiteral("no-help")));
    TMDIChild* document = AnalyseSample();
    QVERIFY(document != nullptr);
    Form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(Form.get()));
    QTableView& table = document->Data().Table();
    table.setFocus();
    Dialogs->Clear();
    // Through the shortcut map, where the main window's own F1 would also answer.
    QTest::keyClick(&table, Qt::Key_F1);
    QCOMPARE(Dialogs->Transcript(), QStringList{"Error: Не найден файл справки"});
    Dialogs->Answer({TAnswer::No});
    QVERIFY(Form->close());
}

void TGuiRoadTest::Screenshot() {
    const QString target = qEnvironmentVariable("TESSARIN_SCREENSHOT");
    if (target.isEmpty()) {
        QSKIP("set TESSARIN_SCREENSHOT to a .png path to save the main window");
    }
    Form->resize(1280, 800);
    TMDIChild* document = AnalyseSample();
    QVERIFY(document != nullptr && document->Model.CutEdgeExist);
    Command("ButtonViewIso")->trigger();
    QCoreApplication::processEvents();
    QVERIFY(Form->grab().save(target, "PNG"));
    Dialogs->Answer({TAnswer::No});
    QVERIFY(Form->close());
}

void TGuiRoadTest::DataPanelScreenshot() {
    const QString target = qEnvironmentVariable("TESSARIN_SCREENSHOT");
    if (target.isEmpty()) {
        QSKIP("set TESSARIN_SCREENSHOT to a .png path to save the main window");
    }
    Form->resize(1400, 900);
    TMDIChild* document = AnalyseSample();
    QVERIFY(document != nullptr && document->Model.CutEdgeExist);
    // The road through the side bar; the static system and the working plane as the
    // parameter panel accepts them.
    document->Bar().Item(0, 0)->click();
    tessarin::model::TModel& model = document->Model;
    model.PreviewSSK(5.0, 30.0);
    QVERIFY(model.AcceptStaticSystem().Ok());
    model.WorkingCS.FeedPlan.HCE = 0;
    QVERIFY(model.PreviewFeedPlan(90.0).Ok());
    model.AcceptFeedPlan();
    Form->UpdateCommandStates();
    document->Bar().SetActiveGroup(1);
    document->Bar().Item(1, 2)->click();
    // The tool system's rake and clearance beside the static rake and plan angle: the
    // rake angles turn negative from the fourth segment on.
    tessarin::document::TDataPanel& panel = document->Data();
    panel.Tree().SelectNode(panel.Tree().FindNode(3));
    for (const int kind : {4, 7, 10}) {
        panel.Tree().FindNode(kind)->setSelected(true);
    }
    panel.ChooseRows(10, 14);
    // The data panel widened as a user drags its splitter, to show four angle columns.
    auto* splitter = document->findChild<QSplitter*>(QStringLiteral("Splitter1"));
    QVERIFY(splitter != nullptr);
    const int width = splitter->width();
    splitter->setSizes({width - 620, 620});
    Command("ButtonViewIso")->trigger();
    QTest::qWait(800);
    QVERIFY(Form->grab().save(target, "PNG"));
    Dialogs->Answer({TAnswer::No});
    QVERIFY(Form->close());
}

QTEST_MAIN(TGuiRoadTest)
#include "gui_road_test.moc"
