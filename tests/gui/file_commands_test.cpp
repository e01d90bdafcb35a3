// The file commands and the document register: captions and slots, opening and saving
// projects, importing STL models, the confirmed cascades of "Открыть STL..." and
// "Определить режущую кромку", the close question of a document and of the program,
// dropped files, the recent-files list, help and the About box.
#include <QtTest>

#include <QAction>
#include <QDesktopServices>
#include <QDialog>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMimeData>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <cstring>

#include <memory>

#include "base/language.h"
#include "document/mdi_child.h"
#include "model/model.h"
#include "shell/app_settings.h"
#include "shell/dialogs.h"
#include "shell/main_window.h"
#include "tests/gui/support/find_child.h"
#include "tests/gui/support/memory_settings.h"
#include "tests/gui/support/scripted_dialogs.h"
#include "tests/support/russian_reasons.h"

using tessarin::document::TMDIChild;
using tessarin::shell::TAnswer;
using tessarin::shell::TMainForm;
using tessarin::test::TDialogKind;
using tessarin::test::TMemorySettings;
using tessarin::test::TScriptedDialogs;

Q_DECLARE_METATYPE(TAnswer)

namespace {

const QString kSample = QStringLiteral(TESSARIN_SAMPLES "/cutter.stl");
const QString kBrokenStl = QStringLiteral(TESSARIN_FIXTURES "/stl/bad_number_in_last_facet.stl");
const QString kExampleProject = QStringLiteral(TESSARIN_FIXTURES "/project/example.tsf");

const QString kOpenError = QStringLiteral("Error: Ошибка при открытии файла");
const QString kSaveError = QStringLiteral("Error: Ошибка при сохранении файла");
const QString kDestroyGeometry = QStringLiteral("Question: Уничтожить текущую геометрию?");
const QString kDestroyResults =
    QStringLiteral("Question: Операция уничтожит все рассчитанные данные. Продолжить?");
const QString kImportDialog = QStringLiteral("Modal: Параметры импорта");

QString SaveQuestion(const QString& fileName) {
    return QStringLiteral("Question: Сохранить изменения в файле ") + fileName;
}

// Receives the URLs "Справка" asks the desktop to open.
class TUrlRecorder : public QObject {
    Q_OBJECT

public:
    QList<QUrl> Opened;

public slots:
    void Open(const QUrl& url) { Opened.append(url); }
};

}  // namespace

class TFileCommandsTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void CaptionsNumberEverySlot();
    void WindowListMarksAndActivates();
    void FailedProjectOpenUsesUpASlot();
    void OpenedProjectIsNamedByItsPath();
    void BundledSampleProjectOpens();
    void CancelledOrMissingChoicesDoNothing();
    void CloseQuestion_data();
    void CloseQuestion();
    void UntouchedDocumentClosesWithoutQuestion();
    void SavingProposesTheUntitledName();
    void SaveUsesTheDocumentsOwnFile();
    void ChangedMarkerFollowsTheModel();
    void OpenStlWithoutDocumentMakesOne();
    void ProgramCloseStopsAtTheFirstRefusal();
    void ProgramCloseSavesTheAskedDocument();
    void OpenStlCascade_data();
    void OpenStlCascade();
    void CutEdgeAgain_data();
    void CutEdgeAgain();
    void RemovalsAskAndCascade();
    void FailedStlImportShowsTheReason();
    void BrokenFileReasonIsRussian_data();
    void BrokenFileReasonIsRussian();
    void CommandLineOpensOnFirstShow_data();
    void CommandLineOpensOnFirstShow();
    void DroppedFilesOpen();
    void RecentFilesReopen();
    void HelpOpensIndexOrSaysItIsMissing();
    void AboutBoxIsModal();
    void SettingsStoreReadsTheUsersValues();

private:
    QAction* Command(const char* name) const;
    TMDIChild* NewDocumentWithSample();
    TMDIChild* NewDocumentWithCutEdge();
    QString TempPath(const QString& name) const { return Folder->filePath(name); }

    std::unique_ptr<QTemporaryDir> Folder;
    std::unique_ptr<TScriptedDialogs> Dialogs;
    std::unique_ptr<TMemorySettings> Settings;
    std::unique_ptr<TMainForm> Form;
};

void TFileCommandsTest::init() {
    Folder = std::make_unique<QTemporaryDir>();
    QVERIFY(Folder->isValid());
    Dialogs = std::make_unique<TScriptedDialogs>();
    Settings = std::make_unique<TMemorySettings>();
    Form = std::make_unique<TMainForm>(*Dialogs, *Settings);
    // Never shown: the offscreen platform has no OpenGL, and a shown window holding the
    // 3-D view cannot be flushed there. The commands and states need no screen.
}

void TFileCommandsTest::cleanup() {
    QVERIFY2(Dialogs->Unscripted().isEmpty(), qPrintable(Dialogs->Unscripted().join("; ")));
    Form.reset();
    Settings.reset();
    Dialogs.reset();
    Folder.reset();
}

QAction* TFileCommandsTest::Command(const char* name) const {
    return tessarin::test::FindChild<QAction>(*Form, name);
}

TMDIChild* TFileCommandsTest::NewDocumentWithSample() {
    Command("ButtonNew")->trigger();
    Dialogs->ChooseFile(kSample);
    Dialogs->CloseModal(QDialog::Accepted);  // "Параметры импорта"
    Command("ButtonOpenSTL")->trigger();
    return Form->ActiveDocument();
}

TMDIChild* TFileCommandsTest::NewDocumentWithCutEdge() {
    TMDIChild* document = NewDocumentWithSample();
    Command("ButtonSortFaces")->trigger();
    Command("ButtonCutEdge")->trigger();
    return document;
}

// Closes the sub-window of `document` as its title-bar button would and lets the
// window be deleted.
void CloseWindow(TMDIChild* document) {
    document->parentWidget()->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void TFileCommandsTest::CaptionsNumberEverySlot() {
    Command("ButtonNew")->trigger();
    TMDIChild* first = Form->ActiveDocument();
    Command("ButtonNew")->trigger();
    QCOMPARE(first->Caption(), QStringLiteral("Untitled1"));
    QCOMPARE(Form->ActiveDocument()->Caption(), QStringLiteral("Untitled2"));
    CloseWindow(first);
    QCOMPARE(Form->OpenDocumentCount(), 1);
    Command("ButtonNew")->trigger();

    TMDIChild* third = Form->ActiveDocument();
    QCOMPARE(third->Caption(), QStringLiteral("Untitled3"));
    QCOMPARE(third->FileName, QStringLiteral("Untitled3"));
    QVERIFY(!third->HasFileName);
    QVERIFY(third->StlFileName.isEmpty());
    QCOMPARE(Form->WindowListEntries(), (QStringList{"Untitled2", "Untitled3"}));
    QCOMPARE(Form->CurrentDocument(), 2);
    // A new document works with the application's geometry settings.
    QCOMPARE(third->Model.SurfaceData.GeometrySettings, Settings->Values.Geometry);
}

void TFileCommandsTest::WindowListMarksAndActivates() {
    Command("ButtonNew")->trigger();
    TMDIChild* first = Form->ActiveDocument();
    Command("ButtonNew")->trigger();
    QMenu* windows = Form->findChild<QMenu*>("MenuWindow");
    auto entries = [windows] {
        QList<QAction*> list;
        for (QAction* action : windows->actions()) {
            if (action->isCheckable()) {
                list.append(action);
            }
        }
        return list;
    };
    QCOMPARE(entries().size(), 2);

    // Opening the menu puts the check mark on the active document's entry.
    emit windows->aboutToShow();
    QVERIFY(!entries().at(0)->isChecked());
    QVERIFY(entries().at(1)->isChecked());

    // Choosing an entry brings its window forward and makes it the current document.
    entries().at(0)->trigger();
    QCOMPARE(Form->ActiveDocument(), first);
    QCOMPARE(Form->CurrentDocument(), 0);
    emit windows->aboutToShow();
    QVERIFY(entries().at(0)->isChecked());
    QVERIFY(!entries().at(1)->isChecked());
}

void TFileCommandsTest::FailedProjectOpenUsesUpASlot() {
    QFile truncated(TempPath("truncated.tsf"));
    QVERIFY(truncated.open(QIODevice::WriteOnly));
    truncated.write(
        "=====Tessarin 1 TextFile=====\r\n\r\n-----Model-----\r\n\r\nNumber of segments:2\r\n");
    truncated.close();

    Dialogs->ChooseFile(truncated.fileName());
    Command("ButtonOpen")->trigger();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    QCOMPARE(Dialogs->Transcript(), (QStringList{"OpenFile: Открыть", kOpenError}));
    QCOMPARE(Dialogs->Records().at(1).Kind, TDialogKind::Beep);
    const QString reason = Dialogs->Shown().at(1).Detail;
    QVERIFY2(reason.contains(QStringLiteral("truncated.tsf")), qPrintable(reason));
    QCOMPARE(Dialogs->Shown().at(0).Filter, QStringLiteral("Файлы Tessarin (*.tsf)"));
    QCOMPARE(Form->OpenDocumentCount(), 0);
    QCOMPARE(Form->CurrentDocument(), -1);
    QVERIFY(Form->WindowListEntries().isEmpty());
    QVERIFY(Form->MdiArea().subWindowList().isEmpty());

    Command("ButtonNew")->trigger();
    QCOMPARE(Form->ActiveDocument()->Caption(), QStringLiteral("Untitled2"));
}

void TFileCommandsTest::OpenedProjectIsNamedByItsPath() {
    Dialogs->ChooseFile(kExampleProject);
    Command("ButtonOpen")->trigger();
    TMDIChild* document = Form->ActiveDocument();
    QVERIFY(document != nullptr);
    QCOMPARE(document->Caption(), kExampleProject);
    QCOMPARE(document->FileName, kExampleProject);
    QVERIFY(document->HasFileName);
    QCOMPARE(Form->WindowListEntries(), QStringList{kExampleProject});
    QVERIFY(document->Model.CutEdgeExist);
    QVERIFY(document->PanelsShown());
    QVERIFY(document->View().ModelScale > 0.0);
    // Opened and only looked at: no question on close.
    Dialogs->Clear();
    CloseWindow(document);
    QVERIFY(Dialogs->Records().isEmpty());
    QCOMPARE(Form->OpenDocumentCount(), 0);
}

// What scripts/run.sh shows: the sample project with every step of the road done.
void TFileCommandsTest::BundledSampleProjectOpens() {
    Form->OpenProjectDocument(QStringLiteral(TESSARIN_SAMPLES "/cutter.tsf"));
    TMDIChild* document = Form->ActiveDocument();
    QVERIFY2(document != nullptr, qPrintable(Dialogs->Transcript().join("; ")));
    const tessarin::model::TModel& model = document->Model;
    QVERIFY(model.CutEdgeExist);
    QCOMPARE(model.DefinedAngles, (std::array<bool, 4>{true, true, true, true}));
    QVERIFY(model.ExistedCS[tessarin::model::kExistedFeedPlan]);
    QCOMPARE(document->StlFileName, QStringLiteral("samples/cutter.stl"));
    QVERIFY(document->PanelsShown());
    QVERIFY(document->SideBarGroupShown(3));
    QVERIFY(Command("ButtonSelection")->isEnabled());
    QVERIFY(Command("ButtonViewFeedPlan")->isEnabled());
    QVERIFY(Dialogs->Records().isEmpty());
}

void TFileCommandsTest::CancelledOrMissingChoicesDoNothing() {
    Dialogs->ChooseFile(QString());
    Command("ButtonOpen")->trigger();
    Dialogs->ChooseFile(TempPath("not-there.tsf"));
    Command("ButtonOpen")->trigger();
    QCOMPARE(Form->Documents().size(), std::size_t{0});

    Command("ButtonNew")->trigger();
    TMDIChild* document = Form->ActiveDocument();
    Dialogs->ChooseFile(TempPath("not-there.stl"));
    Command("ButtonOpenSTL")->trigger();
    QVERIFY(!document->Model.SurfaceData.SurfaceExist);
    QCOMPARE(Dialogs->Transcript(),
             (QStringList{"OpenFile: Открыть", "OpenFile: Открыть", "OpenFile: Открыть STL"}));
    QCOMPARE(Dialogs->Shown().last().Filter, QStringLiteral("Файлы стереолитографии (*.stl)"));
    // Even so the document counts as changed.
    QVERIFY(document->Model.SurfaceData.Modified);
    Dialogs->Answer({TAnswer::No});
    CloseWindow(document);
    QCOMPARE(Dialogs->Transcript().last(), SaveQuestion("Untitled1"));
}

void TFileCommandsTest::CloseQuestion_data() {
    QTest::addColumn<TAnswer>("answer");
    QTest::addColumn<QString>("saveAs");  // the save dialog's answer: "", a name, or "unwritable"
    QTest::addColumn<bool>("closed");
    QTest::addColumn<bool>("written");
    QTest::addColumn<QStringList>("transcript");

    const QString question = SaveQuestion("Untitled1");
    const QString saveDialog = QStringLiteral("SaveFile: Сохранить как");
    QTest::newRow("cancel keeps it")
        << TAnswer::Cancel << QString() << false << false << QStringList{question};
    QTest::newRow("no drops the changes")
        << TAnswer::No << QString() << true << false << QStringList{question};
    QTest::newRow("yes saves and closes")
        << TAnswer::Yes << "saved.tsf" << true << true << QStringList{question, saveDialog};
    // Yes means "keep my changes": a cancelled or failed save must not lose them.
    QTest::newRow("yes, save dialog cancelled")
        << TAnswer::Yes << QString() << false << false << QStringList{question, saveDialog};
    QTest::newRow("yes, save fails") << TAnswer::Yes << "unwritable" << false << false
                                     << QStringList{question, saveDialog, kSaveError};
}

void TFileCommandsTest::CloseQuestion() {
    QFETCH(TAnswer, answer);
    QFETCH(QString, saveAs);
    QFETCH(bool, closed);
    QFETCH(bool, written);
    QFETCH(QStringList, transcript);

    TMDIChild* document = NewDocumentWithSample();
    QVERIFY(document->Model.SurfaceData.SurfaceExist);
    Dialogs->Clear();

    const QString target = saveAs == "unwritable" ? TempPath("no/such/folder/x.tsf")
                           : saveAs.isEmpty()     ? QString()
                                                  : TempPath(saveAs);
    Dialogs->Answer({answer});
    if (answer == TAnswer::Yes) {
        Dialogs->ChooseFile(target);
    }
    QPointer<TMDIChild> watched(document);
    CloseWindow(document);

    QCOMPARE(Dialogs->Transcript(), transcript);
    QCOMPARE(Dialogs->Shown().at(0).WithCancel, true);
    QCOMPARE(watched.isNull(), closed);
    QCOMPARE(Form->OpenDocumentCount(), closed ? 0 : 1);
    QCOMPARE(Form->WindowListEntries().size(), closed ? 0 : 1);
    QCOMPARE(!target.isEmpty() && QFileInfo::exists(target), written);
    if (!closed) {
        // Still the same document with its geometry, its name and its changes.
        QCOMPARE(Form->ActiveDocument(), watched.data());
        QVERIFY(watched->Model.SurfaceData.SurfaceExist);
        QCOMPARE(watched->FileName, QStringLiteral("Untitled1"));
        QVERIFY(!watched->HasFileName);
        QVERIFY(watched->Model.SurfaceData.Modified);
        QVERIFY(Command("ButtonSave")->isEnabled());
    }
    if (saveAs == "unwritable") {
        QVERIFY2(!Dialogs->Shown().last().Detail.isEmpty(), "the core's reason is shown");
    }
}

void TFileCommandsTest::UntouchedDocumentClosesWithoutQuestion() {
    Command("ButtonNew")->trigger();
    CloseWindow(Form->ActiveDocument());
    QVERIFY(Dialogs->Records().isEmpty());
    QCOMPARE(Form->OpenDocumentCount(), 0);
    QCOMPARE(Form->CurrentDocument(), -1);
    QVERIFY(!Command("ButtonSave")->isEnabled());
}

void TFileCommandsTest::SavingProposesTheUntitledName() {
    TMDIChild* document = NewDocumentWithSample();
    Dialogs->Clear();
    const QString target = TempPath("cutter.tsf");
    Dialogs->ChooseFile(target);
    Command("ButtonSave")->trigger();

    QCOMPARE(Dialogs->Transcript(), QStringList{"SaveFile: Сохранить как"});
    QCOMPARE(Dialogs->Shown().at(0).Detail, QStringLiteral("Untitled1"));
    QCOMPARE(Dialogs->Shown().at(0).Filter, QStringLiteral("Файл Tessarin (*.tsf)"));
    QVERIFY(QFileInfo::exists(target));
    QCOMPARE(document->Caption(), target);
    QCOMPARE(document->FileName, target);
    QVERIFY(document->HasFileName);
    QCOMPARE(Form->WindowListEntries(), QStringList{"Untitled1"});
    // The project file ends with the STL file the geometry came from.
    QFile saved(target);
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QVERIFY(saved.readAll().endsWith(kSample.toUtf8() + "\r\n"));

    // A saved document is unchanged: the caption has no marker and closing asks nothing.
    QVERIFY(!document->Model.SurfaceData.Modified);
    QVERIFY(!document->isWindowModified());
    Dialogs->Clear();
    CloseWindow(document);
    QVERIFY(Dialogs->Records().isEmpty());
}

void TFileCommandsTest::SaveUsesTheDocumentsOwnFile() {
    Settings->Values.UsePath = true;
    Settings->Values.Path = Folder->path();
    TMDIChild* document = NewDocumentWithSample();
    // With UsePath every dialog starts in Path; the import dialog follows the file dialog.
    const QList<tessarin::test::TDialogRecord> shown = Dialogs->Shown();
    QCOMPARE(shown.at(shown.size() - 2).Kind, TDialogKind::OpenFile);
    QCOMPARE(shown.at(shown.size() - 2).Detail, Folder->path());
    Dialogs->Clear();

    const QString first = TempPath("first.tsf");
    Dialogs->ChooseFile(first);
    Command("ButtonSaveAs")->trigger();
    QCOMPARE(Dialogs->Shown().at(0).Detail, TempPath("Untitled1"));
    QFile::remove(first);
    Dialogs->Clear();

    Command("ButtonSave")->trigger();  // no dialog: the document has its file
    QVERIFY(Dialogs->Records().isEmpty());
    QVERIFY(QFileInfo::exists(first));

    // A failed save keeps the old name.
    QVERIFY(QDir(Folder->path()).mkdir("folder.tsf"));
    Dialogs->ChooseFile(TempPath("folder.tsf"));
    Command("ButtonSaveAs")->trigger();
    QCOMPARE(Dialogs->Transcript(), (QStringList{"SaveFile: Сохранить как", kSaveError}));
    QCOMPARE(document->FileName, first);
    QCOMPARE(document->Caption(), first);
}

void TFileCommandsTest::ChangedMarkerFollowsTheModel() {
    TMDIChild* document = NewDocumentWithSample();
    QVERIFY(document->isWindowModified());
    QVERIFY(document->windowTitle().endsWith(QStringLiteral("[*]")));
    const QString target = TempPath("marked.tsf");
    Dialogs->ChooseFile(target);
    Command("ButtonSave")->trigger();
    QVERIFY(!document->isWindowModified());
    QCOMPARE(document->Caption(), target);

    // The next command that changes the model shows the marker again.
    Command("ButtonSortFaces")->trigger();
    QVERIFY(document->Model.SurfaceData.Modified);
    QVERIFY(document->isWindowModified());

    // A failed save leaves the document changed.
    QVERIFY(QDir(Folder->path()).mkdir("folder.tsf"));
    Dialogs->ChooseFile(TempPath("folder.tsf"));
    Command("ButtonSaveAs")->trigger();
    QVERIFY(document->isWindowModified());
    Dialogs->Clear();

    // Saved again: the program quits without a question.
    Command("ButtonSave")->trigger();
    QVERIFY(!document->isWindowModified());
    QVERIFY(Form->close());
    QVERIFY(Dialogs->Shown().isEmpty());
}

void TFileCommandsTest::OpenStlWithoutDocumentMakesOne() {
    QVERIFY(Command("ButtonOpenSTL")->isEnabled());
    Dialogs->ChooseFile(kSample);
    Dialogs->CloseModal(QDialog::Accepted);
    Dialogs->CloseModal(QDialog::Accepted);  // "Параметры импорта"
    Command("ButtonOpenSTL")->trigger();
    QCOMPARE(Form->OpenDocumentCount(), 1);
    QCOMPARE(Form->ActiveDocument()->Caption(), QStringLiteral("Untitled1"));
    QVERIFY(Form->ActiveDocument()->Model.SurfaceData.SurfaceExist);
    QCOMPARE(Form->WindowListEntries(), QStringList{"Untitled1"});
    // Cancelled: the new document stays, empty, as after "Новый".
    Dialogs->Answer({TAnswer::No});
    CloseWindow(Form->ActiveDocument());
    Dialogs->Clear();
    Dialogs->ChooseFile(QString());
    Command("ButtonOpenSTL")->trigger();
    QCOMPARE(Form->OpenDocumentCount(), 1);
    QVERIFY(!Form->ActiveDocument()->Model.SurfaceData.SurfaceExist);
}

void TFileCommandsTest::ProgramCloseStopsAtTheFirstRefusal() {
    TMDIChild* first = NewDocumentWithSample();
    TMDIChild* second = NewDocumentWithSample();
    TMDIChild* third = NewDocumentWithSample();
    QPointer<TMDIChild> firstWatch(first), secondWatch(second), thirdWatch(third);
    Dialogs->Clear();

    // "Отмена" for the second document stops quitting: the third is not asked.
    Dialogs->Answer({TAnswer::No, TAnswer::Cancel});
    QVERIFY(!Form->close());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    QCOMPARE(Dialogs->Transcript(),
             (QStringList{SaveQuestion("Untitled1"), SaveQuestion("Untitled2")}));
    QVERIFY(firstWatch.isNull());
    QVERIFY(!secondWatch.isNull());
    QVERIFY(!thirdWatch.isNull());
    QCOMPARE(Form->OpenDocumentCount(), 2);

    // So does a save that does not happen (its dialog cancelled) after "Да".
    Dialogs->Clear();
    Dialogs->Answer({TAnswer::Yes});
    Dialogs->ChooseFile(QString());
    QVERIFY(!Form->close());
    QCOMPARE(Dialogs->Transcript(),
             (QStringList{SaveQuestion("Untitled2"), "SaveFile: Сохранить как"}));
    QCOMPARE(Form->OpenDocumentCount(), 2);

    Dialogs->Answer({TAnswer::No, TAnswer::No});
    QVERIFY(Form->close());
}

void TFileCommandsTest::ProgramCloseSavesTheAskedDocument() {
    TMDIChild* first = NewDocumentWithSample();
    NewDocumentWithSample();
    QCOMPARE(Form->CurrentDocument(), 1);  // the second is active
    Dialogs->Clear();

    const QString target = TempPath("first.tsf");
    Dialogs->Answer({TAnswer::Yes, TAnswer::No});
    Dialogs->ChooseFile(target);
    QPointer<TMDIChild> firstWatch(first);
    const QString firstStl = first->StlFileName;
    QVERIFY(Form->close());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    QCOMPARE(Dialogs->Transcript(),
             (QStringList{SaveQuestion("Untitled1"), "SaveFile: Сохранить как",
                          SaveQuestion("Untitled2")}));
    QCOMPARE(Dialogs->Shown().at(1).Detail, QStringLiteral("Untitled1"));
    QVERIFY(QFileInfo::exists(target));
    QVERIFY(firstWatch.isNull());
    QCOMPARE(Form->OpenDocumentCount(), 0);
}

void TFileCommandsTest::OpenStlCascade_data() {
    QTest::addColumn<QList<TAnswer>>("answers");
    QTest::addColumn<QStringList>("transcript");
    QTest::addColumn<bool>("replaced");

    QTest::newRow("no to the geometry")
        << QList<TAnswer>{TAnswer::No} << QStringList{kDestroyGeometry} << false;
    QTest::newRow("yes, then no to the results")
        << QList<TAnswer>{TAnswer::Yes, TAnswer::No}
        << QStringList{kDestroyGeometry, kDestroyResults} << false;
    QTest::newRow("yes to both") << QList<TAnswer>{TAnswer::Yes, TAnswer::Yes}
                                 << QStringList{kDestroyGeometry, kDestroyResults,
                                                "OpenFile: Открыть STL", kImportDialog}
                                 << true;
}

void TFileCommandsTest::OpenStlCascade() {
    QFETCH(QList<TAnswer>, answers);
    QFETCH(QStringList, transcript);
    QFETCH(bool, replaced);

    TMDIChild* document = NewDocumentWithCutEdge();
    QVERIFY(document->Model.CutEdgeExist);
    const int segments = document->Model.SegmentCount;
    const int fronts = document->Model.SurfaceData.FrontCount;
    Dialogs->Clear();

    for (const TAnswer answer : answers) {
        Dialogs->Answer({answer});
    }
    if (replaced) {
        Dialogs->ChooseFile(kSample);
        Dialogs->CloseModal(QDialog::Accepted);
    }
    Command("ButtonOpenSTL")->trigger();

    QCOMPARE(Dialogs->Transcript(), transcript);
    // Every question is preceded by a beep.
    QCOMPARE(Dialogs->Records().first().Kind, TDialogKind::Beep);
    tessarin::model::TModel& model = document->Model;
    QVERIFY(model.SurfaceData.SurfaceExist);
    QCOMPARE(model.SurfaceData.SurfaceSorted, !replaced);
    QCOMPARE(model.CutEdgeExist, !replaced);
    QCOMPARE(model.SegmentCount, replaced ? 0 : segments);
    QCOMPARE(model.SurfaceData.FrontCount, replaced ? 0 : fronts);
    QCOMPARE(document->PanelsShown(), !replaced);
    QCOMPARE(document->StlFileName, kSample);
    QCOMPARE(Command("ButtonCutEdge")->isEnabled(), !replaced);
    QCOMPARE(Command("ButtonRemoveCE")->isEnabled(), !replaced);
}

void TFileCommandsTest::CutEdgeAgain_data() {
    QTest::addColumn<TAnswer>("answer");
    QTest::newRow("no changes nothing") << TAnswer::No;
    QTest::newRow("yes finds it again") << TAnswer::Yes;
}

void TFileCommandsTest::CutEdgeAgain() {
    QFETCH(TAnswer, answer);
    TMDIChild* document = NewDocumentWithCutEdge();
    tessarin::model::TModel& model = document->Model;
    // Something the removal would drop, to see whether it happened; a selection needs
    // computed angles, whose node the tree selects after the selection is gone.
    const tessarin::model::TCutEdgeData found = model.CutEdge;
    model.ComputeAngles(tessarin::model::kISK);
    model.SelectCutEdge.push_back(model.CutEdge.front());
    model.SelectCutEdgeExist = true;
    // Kept with its angles, or found again without them.
    const tessarin::model::TCutEdgeData edge = answer == TAnswer::No ? model.CutEdge : found;
    Dialogs->Clear();

    Dialogs->Answer({answer});
    Command("ButtonCutEdge")->trigger();

    QCOMPARE(Dialogs->Transcript(), QStringList{kDestroyResults});
    QVERIFY(model.CutEdgeExist);
    QCOMPARE(model.CutEdge, edge);
    QCOMPARE(model.SelectCutEdgeExist, answer == TAnswer::No);
    QCOMPARE(model.SelectCutEdge.size(), answer == TAnswer::No ? std::size_t{1} : std::size_t{0});
}

void TFileCommandsTest::RemovalsAskAndCascade() {
    TMDIChild* document = NewDocumentWithCutEdge();
    tessarin::model::TModel& model = document->Model;
    model.ComputeAngles(tessarin::model::kISK);
    model.SelectCutEdge.push_back(model.CutEdge.front());
    model.SelectCutEdgeExist = true;
    model.Columns[18] = {"", "1"};
    Form->UpdateCommandStates();
    Dialogs->Clear();

    // The selection goes without a question.
    Command("ButtonRemoveSelect")->trigger();
    QVERIFY(Dialogs->Records().isEmpty());
    QVERIFY(!model.SelectCutEdgeExist);
    QVERIFY(model.SelectCutEdge.empty());
    QVERIFY(model.Columns[18].empty());
    QVERIFY(!Command("ButtonRemoveSelect")->isEnabled());

    // Removing the sorting asks for the cutting edge; No keeps both.
    Dialogs->Answer({TAnswer::No});
    Command("ButtonRemoveSortFaces")->trigger();
    QCOMPARE(Dialogs->Transcript(), QStringList{kDestroyResults});
    QVERIFY(model.CutEdgeExist);
    QVERIFY(model.SurfaceData.SurfaceSorted);

    Dialogs->Answer({TAnswer::Yes});
    Command("ButtonRemoveSortFaces")->trigger();
    QVERIFY(!model.CutEdgeExist);
    QVERIFY(!model.SurfaceData.SurfaceSorted);
    QVERIFY(model.SurfaceData.SurfaceExist);
    QVERIFY(!document->PanelsShown());
    QVERIFY(!Command("ButtonCutEdge")->isEnabled());
    QVERIFY(Command("ButtonSortFaces")->isEnabled());

    // Sorted again without a cutting edge: no question at all.
    Command("ButtonSortFaces")->trigger();
    Dialogs->Clear();
    Command("ButtonRemoveSortFaces")->trigger();
    QVERIFY(Dialogs->Records().isEmpty());
    QVERIFY(!model.SurfaceData.SurfaceSorted);
}

void TFileCommandsTest::FailedStlImportShowsTheReason() {
    Command("ButtonNew")->trigger();
    TMDIChild* document = Form->ActiveDocument();
    Dialogs->ChooseFile(kBrokenStl);
    Command("ButtonOpenSTL")->trigger();

    QCOMPARE(Dialogs->Transcript(), (QStringList{"OpenFile: Открыть STL", kOpenError}));
    QCOMPARE(Dialogs->Records().at(1).Kind, TDialogKind::Beep);
    const QString reason = Dialogs->Shown().at(1).Detail;
    QVERIFY2(reason.contains(QStringLiteral("bad_number_in_last_facet.stl, строка 13: ")),
             qPrintable(reason));
    QVERIFY(!document->Model.SurfaceData.SurfaceExist);
    QVERIFY(document->StlFileName.isEmpty());
    QVERIFY(document->Model.SurfaceData.Modified);
    QCOMPARE(document->Caption(), QStringLiteral("Untitled1"));
    QVERIFY(!Command("ButtonSortFaces")->isEnabled());
}

void TFileCommandsTest::BrokenFileReasonIsRussian_data() {
    QTest::addColumn<QString>("file");      // "tmp:" makes it in the test's folder
    QTest::addColumn<QByteArray>("bytes");  // of a "tmp:" file
    QTest::addColumn<bool>("importStl");  // "Открыть STL" in a new document, else "Открыть"
    QTest::addColumn<QString>("phrase");  // a part of the reason

    QTest::newRow("truncated project")
        << "tmp:truncated.tsf"
        << QByteArray(
               "=====Tessarin 1 TextFile=====\r\n\r\n-----Model-----\r\n\r\n"
               "Number of segments:2\r\n")
        << false << QStringLiteral("строка 5: ожидалось число отрезков, которое умещается в файле");
    QTest::newRow("STL model as a project")
        << kBrokenStl << QByteArray() << false << QStringLiteral("строка 5: ожидалось: ");
    QTest::newRow("folder as a project")
        << "tmp:folder.tsf" << QByteArray() << false << QStringLiteral("Это каталог");
    QTest::newRow("broken ASCII STL")
        << kBrokenStl << QByteArray() << true
        << QStringLiteral("строка 13: ожидалось \"vertex\" и три числа, найдено 2 числа");
    QTest::newRow("empty STL") << "tmp:empty.stl" << QByteArray() << true
                               << QStringLiteral("empty.stl: файл пуст");
}

// The desktop shows the core's reasons in Russian: the main window sets the language of
// the reasons, whatever the process had before.
void TFileCommandsTest::BrokenFileReasonIsRussian() {
    QFETCH(QString, file);
    QFETCH(QByteArray, bytes);
    QFETCH(bool, importStl);
    QFETCH(QString, phrase);

    if (file.startsWith("tmp:")) {
        file = TempPath(file.mid(4));
        if (file.endsWith("folder.tsf")) {
            QVERIFY(QDir().mkdir(file));
        } else {
            QFile made(file);
            QVERIFY(made.open(QIODevice::WriteOnly));
            made.write(bytes);
        }
    }
    Form.reset();
    tessarin::base::SetMessageLanguage(tessarin::base::TLanguage::English);
    Form = std::make_unique<TMainForm>(*Dialogs, *Settings);

    if (importStl) {
        Command("ButtonNew")->trigger();
    }
    Dialogs->ChooseFile(file);
    Command(importStl ? "ButtonOpenSTL" : "ButtonOpen")->trigger();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    QCOMPARE(Dialogs->Transcript().size(), 2);
    QCOMPARE(Dialogs->Transcript().at(1), kOpenError);
    const QString reason = Dialogs->Shown().at(1).Detail;
    QVERIFY2(reason.contains(phrase), qPrintable(reason));
    QVERIFY2(reason.contains(file), qPrintable(reason));
    const QStringList stray = [&] {
        QStringList words;
        for (const std::string& word :
             tessarin::test::StrayLatinWords(reason.toStdString(), file.toStdString())) {
            words.append(QString::fromStdString(word));
        }
        return words;
    }();
    QVERIFY2(stray.isEmpty(), qPrintable(reason + " | " + stray.join(' ')));
}

void TFileCommandsTest::CommandLineOpensOnFirstShow_data() {
    QTest::addColumn<QString>("argument");
    QTest::addColumn<QString>("caption");  // of the document opened; empty for none
    QTest::addColumn<QStringList>("transcript");

    QTest::newRow("project") << kExampleProject << kExampleProject << QStringList{};
    QTest::newRow("STL model") << kSample << "Untitled1" << QStringList{kImportDialog};
    QTest::newRow("missing project")
        << QStringLiteral("/no/such/project.tsf") << QString() << QStringList{kOpenError};
    // An STL model under a project's name ("tmp:" makes the copy in the test's folder).
    QTest::newRow("not a project") << "tmp:model.tsf" << QString() << QStringList{kOpenError};
}

void TFileCommandsTest::CommandLineOpensOnFirstShow() {
    QFETCH(QString, argument);
    QFETCH(QString, caption);
    QFETCH(QStringList, transcript);

    if (argument.startsWith("tmp:")) {
        const QString copy = TempPath(argument.mid(4));
        QVERIFY(QFile::copy(kSample, copy));
        argument = copy;
    }
    Form->SetCommandLineFile(argument);
    if (argument.endsWith(QStringLiteral(".stl"))) {
        Dialogs->CloseModal(QDialog::Accepted);
    }
    // The show event itself: the offscreen platform must not really show the window.
    QShowEvent show;
    QCoreApplication::sendEvent(Form.get(), &show);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    QCOMPARE(Dialogs->Transcript(), transcript);
    QCOMPARE(Form->Documents().size(), std::size_t{1});
    QCOMPARE(Form->OpenDocumentCount(), caption.isEmpty() ? 0 : 1);
    if (!caption.isEmpty()) {
        QCOMPARE(Form->ActiveDocument()->Caption(), caption);
        QVERIFY(Form->ActiveDocument()->Model.SurfaceData.SurfaceExist);
        QCOMPARE(Form->WindowListEntries(), QStringList{caption});
    }

    // Shown again later (restored from the task bar): nothing is opened again.
    Dialogs->Clear();
    QCoreApplication::sendEvent(Form.get(), &show);
    QCOMPARE(Form->Documents().size(), std::size_t{1});
    QVERIFY(Dialogs->Records().isEmpty());
}

void TFileCommandsTest::DroppedFilesOpen() {
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(kSample), QUrl::fromLocalFile(kExampleProject),
                  QUrl::fromLocalFile(TempPath("notes.txt"))});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(Form.get(), &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    Dialogs->CloseModal(QDialog::Accepted);
    QCoreApplication::sendEvent(Form.get(), &drop);

    QCOMPARE(Form->OpenDocumentCount(), 2);
    const TMDIChild* imported = Form->Documents().at(0).Window;
    QCOMPARE(imported->Caption(), QStringLiteral("Untitled1"));
    QVERIFY(imported->Model.SurfaceData.SurfaceExist);
    QCOMPARE(imported->StlFileName, kSample);
    QCOMPARE(Form->Documents().at(1).Window->Caption(), kExampleProject);
    QCOMPARE(Dialogs->Transcript(), QStringList{kImportDialog});

    // Other files are not taken.
    QMimeData text;
    text.setUrls({QUrl::fromLocalFile(TempPath("notes.txt"))});
    QDragEnterEvent refused(QPoint(10, 10), Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
    refused.setAccepted(false);
    QCoreApplication::sendEvent(Form.get(), &refused);
    QVERIFY(!refused.isAccepted());
}

void TFileCommandsTest::RecentFilesReopen() {
    Dialogs->ChooseFile(kExampleProject);
    Command("ButtonOpen")->trigger();
    NewDocumentWithSample();
    QCOMPARE(Settings->Recent, (QStringList{QFileInfo(kSample).absoluteFilePath(),
                                            QFileInfo(kExampleProject).absoluteFilePath()}));
    QAction* recent = Form->findChild<QAction*>("RecentFile2");
    QVERIFY(recent->isVisible());
    QVERIFY(recent->text().endsWith(QStringLiteral("example.tsf")));
    QVERIFY(!Form->findChild<QAction*>("RecentFile3")->isVisible());

    recent->trigger();
    QCOMPARE(Form->OpenDocumentCount(), 3);
    QCOMPARE(Form->ActiveDocument()->FileName, QFileInfo(kExampleProject).absoluteFilePath());
    // Reopening moves the file to the front.
    QCOMPARE(Settings->Recent.first(), QFileInfo(kExampleProject).absoluteFilePath());
}

void TFileCommandsTest::HelpOpensIndexOrSaysItIsMissing() {
    Form->SetHelpFolder(TempPath("Help/Help_ZQ1.0"));
    Command("ButtonHelp")->trigger();
    QCOMPARE(Dialogs->Transcript(), QStringList{"Error: Не найден файл справки"});
    QCOMPARE(Command("ButtonHelp")->shortcut(), QKeySequence(Qt::Key_F1));

    QVERIFY(QDir(Folder->path()).mkpath("Help/Help_ZQ1.0"));
    QFile index(TempPath("Help/Help_ZQ1.0/index.htm"));
    QVERIFY(index.open(QIODevice::WriteOnly));
    index.close();
    TUrlRecorder recorder;
    QDesktopServices::setUrlHandler("file", &recorder, "Open");
    Dialogs->Clear();
    Command("ButtonHelp")->trigger();
    QDesktopServices::unsetUrlHandler("file");
    QVERIFY(Dialogs->Records().isEmpty());
    QCOMPARE(recorder.Opened, QList<QUrl>{QUrl::fromLocalFile(index.fileName())});
}

void TFileCommandsTest::AboutBoxIsModal() {
    Dialogs->CloseModal(QDialog::Accepted);
    Command("ButtonAbout")->trigger();
    QCOMPARE(Dialogs->Transcript(), QStringList{"Modal: О программе"});
}

void TFileCommandsTest::SettingsStoreReadsTheUsersValues() {
    // The test mode moves QSettings' files away from the user's own.
    QStandardPaths::setTestModeEnabled(true);
    QSettings raw(QSettings::NativeFormat, QSettings::UserScope, "Tessarin", "Settings");
    raw.clear();
    raw.sync();
    tessarin::shell::TSettings store;

    // Nothing stored yet: the defaults.
    tessarin::shell::TShellSettings read = store.Read();
    QCOMPARE(read.Geometry, tessarin::model::kDefaultGeometrySettings);
    QVERIFY(!read.UsePath);
    QVERIFY(read.Path.isEmpty());
    QVERIFY(read.DecimalSeparator == ',' || read.DecimalSeparator == '.');

    // Floats as the registry keeps them (8 bytes, little-endian) or as text.
    const double gamma = 75.5;
    QByteArray bytes(8, '\0');
    quint64 bits = 0;
    std::memcpy(&bits, &gamma, sizeof bits);
    for (int i = 0; i < 8; ++i) {
        bytes[i] = static_cast<char>((bits >> (8 * i)) & 0xFF);
    }
    raw.setValue("Geom/Gamma", bytes);
    raw.setValue("Geom/Alpha", "12,25");
    raw.setValue("Geom/DiscardInt", 0);
    raw.setValue("Geom/TableAccuracy", 7);  // outside 0..6: the default stays
    raw.setValue("Geom/MarkNegative", 0);
    raw.setValue("IntF/UsePath", 1);
    raw.setValue("IntF/Path", "/data/tools");
    raw.sync();
    read = store.Read();
    QCOMPARE(read.Geometry.Gamma, 75.5);
    QCOMPARE(read.Geometry.Alpha, 12.25);
    QVERIFY(!read.Geometry.DiscardInt);
    QCOMPARE(read.Geometry.TableAccuracy, 4);
    QVERIFY(!read.Geometry.MarkNegative);
    QVERIFY(read.UsePath);
    QCOMPARE(read.Path, QStringLiteral("/data/tools"));

    // The recent list: newest first, no duplicates, at most eight.
    QStringList files;
    for (int i = 1; i <= 9; ++i) {
        files = tessarin::shell::WithRecentFile(files, QStringLiteral("/p/%1.tsf").arg(i));
    }
    files = tessarin::shell::WithRecentFile(files, QStringLiteral("/p/5.tsf"));
    QCOMPARE(files, (QStringList{"/p/5.tsf", "/p/9.tsf", "/p/8.tsf", "/p/7.tsf", "/p/6.tsf",
                                 "/p/4.tsf", "/p/3.tsf", "/p/2.tsf"}));
    store.SetRecentFiles(files);
    QCOMPARE(store.RecentFiles(), files);
    raw.clear();
}

QTEST_MAIN(TFileCommandsTest)
#include "file_commands_test.moc"
