// No failure inside a command ends the program: an exception thrown in the middle of a
// core operation (an allocation that fails on a huge model, above all) becomes an error
// message, the progress gauge is free again, every document stays open and the same
// command works once the cause is gone. The failure is thrown where a real one would
// arise, inside the operation, through the gauge's clock, which the operation calls at
// its start and at every step.
#include <QtTest>

#include <QDialog>

#include <QAction>
#include <QGroupBox>
#include <QMdiArea>
#include <QToolButton>

#include <memory>
#include <new>
#include <stdexcept>

#include "document/mdi_child.h"
#include "document/side_bar.h"
#include "model/model.h"
#include "shell/application.h"
#include "shell/float_edit.h"
#include "shell/main_window.h"
#include "shell/manage_panel.h"
#include "shell/smart_gauge.h"
#include "tests/gui/support/find_child.h"
#include "tests/gui/support/memory_settings.h"
#include "tests/gui/support/scripted_dialogs.h"

using tessarin::document::TMDIChild;
using tessarin::shell::TMainForm;
using tessarin::test::TDialogKind;
using tessarin::test::TMemorySettings;
using tessarin::test::TScriptedDialogs;

namespace {

// The messages and questions of a transcript, without the file dialogs.
QStringList Messages(const TScriptedDialogs& dialogs) {
    QStringList lines;
    for (const QString& line : dialogs.Transcript()) {
        if (!line.startsWith("OpenFile: ") && !line.startsWith("SaveFile: ")) {
            lines.append(line);
        }
    }
    return lines;
}

const QString kSample = QStringLiteral(TESSARIN_SAMPLES "/cutter.stl");
const QString kExampleProject = QStringLiteral(TESSARIN_FIXTURES "/project/example.tsf");
const QString kNoMemory = QStringLiteral("Недостаточно памяти для выполнения операции");
const QString kFailed = QStringLiteral("Ошибка при выполнении операции");

// What the armed clock throws.
enum class TThrown { BadAlloc, RuntimeError };

// Throws at its `at`-th call once armed; a steady 0 otherwise.
struct TFailingClock {
    int Calls = 0;
    int At = 0;  // 0: disarmed
    TThrown What = TThrown::BadAlloc;

    qint64 operator()() {
        if (At > 0 && ++Calls == At) {
            At = 0;
            if (What == TThrown::BadAlloc) {
                throw std::bad_alloc();
            }
            throw std::runtime_error("index out of range");
        }
        return 0;
    }
};

// An object whose events throw, for the application's last line of defence.
class TThrowingObject : public QObject {
public:
    bool event(QEvent* event) override {
        if (event->type() == QEvent::User) {
            throw std::bad_alloc();
        }
        return QObject::event(event);
    }
};

}  // namespace

Q_DECLARE_METATYPE(TThrown)

class TFailureGuardTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void CommandFailureKeepsTheDocuments_data();
    void CommandFailureKeepsTheDocuments();
    void BrokenProjectReadLeavesNoHalfDocument();
    void ParameterPanelStepsAreGuarded();
    void EscapedExceptionIsReportedByTheApplication();

private:
    TMDIChild* NewDocument(const char* upTo);
    void Arm(int at, TThrown what) {
        Clock->Calls = 0;
        Clock->At = at;
        Clock->What = what;
    }

    std::unique_ptr<TScriptedDialogs> Dialogs;
    std::unique_ptr<TMemorySettings> Settings;
    std::unique_ptr<TMainForm> Form;
    std::shared_ptr<TFailingClock> Clock;
};

void TFailureGuardTest::init() {
    Dialogs = std::make_unique<TScriptedDialogs>();
    Settings = std::make_unique<TMemorySettings>();
    Form = std::make_unique<TMainForm>(*Dialogs, *Settings);
    Clock = std::make_shared<TFailingClock>();
    Form->Gauge().SetClock([clock = Clock] { return (*clock)(); });
}

void TFailureGuardTest::cleanup() {
    QVERIFY2(Dialogs->Unscripted().isEmpty(), qPrintable(Dialogs->Unscripted().join("; ")));
    Form.reset();
    Settings.reset();
    Dialogs.reset();
}

// A new document taken along the road up to "new", "stl", "sorted" or "edge".
TMDIChild* TFailureGuardTest::NewDocument(const char* upTo) {
    const QString stage = QString::fromLatin1(upTo);
    Form->findChild<QAction*>("ButtonNew")->trigger();
    if (stage != "new") {
        Dialogs->ChooseFile(kSample);
        Dialogs->CloseModal(QDialog::Accepted);  // "Параметры импорта"
        Form->findChild<QAction*>("ButtonOpenSTL")->trigger();
    }
    if (stage == "sorted" || stage == "edge") {
        Form->findChild<QAction*>("ButtonSortFaces")->trigger();
    }
    if (stage == "edge") {
        Form->findChild<QAction*>("ButtonCutEdge")->trigger();
    }
    return Form->ActiveDocument();
}

void TFailureGuardTest::CommandFailureKeepsTheDocuments_data() {
    QTest::addColumn<QString>("command");  // a command's name, or "SideBar" for item 0/0
    QTest::addColumn<QString>("upTo");     // how far the failing document has got
    QTest::addColumn<int>("throwAt");      // 1: as the operation starts, 3: at a step
    QTest::addColumn<TThrown>("thrown");

    QTest::addColumn<QString>("message");  // the error shown
    QTest::addColumn<QString>("detail");   // how the text under it ends

    // The operations that grow with the model: import, sorting, the cutting-edge
    // search, the angles, the project written. The import reports a failed allocation
    // as a failed read of its own.
    const QString memory = QString::fromLatin1(std::bad_alloc().what());
    QTest::newRow("STL import") << "ButtonOpenSTL"
                                << "new" << 1 << TThrown::BadAlloc << "Ошибка при открытии файла"
                                << "недостаточно памяти для модели";
    QTest::newRow("sorting") << "ButtonSortFaces"
                             << "stl" << 3 << TThrown::BadAlloc << kNoMemory << memory;
    QTest::newRow("cutting-edge search")
        << "ButtonCutEdge"
        << "sorted" << 3 << TThrown::BadAlloc << kNoMemory << memory;
    QTest::newRow("cutting-edge search, other failure")
        << "ButtonCutEdge"
        << "sorted" << 1 << TThrown::RuntimeError << kFailed << "index out of range";
    QTest::newRow("angles from the side bar")
        << "SideBar"
        << "edge" << 1 << TThrown::BadAlloc << kNoMemory << memory;
    QTest::newRow("project written") << "ButtonSaveAs"
                                     << "edge" << 1 << TThrown::BadAlloc << kNoMemory << memory;
}

void TFailureGuardTest::CommandFailureKeepsTheDocuments() {
    QFETCH(QString, command);
    QFETCH(QString, upTo);
    QFETCH(int, throwAt);
    QFETCH(TThrown, thrown);
    QFETCH(QString, message);
    QFETCH(QString, detail);

    // Another document with work in it, which the failure must not touch.
    TMDIChild* other = NewDocument("sorted");
    QVERIFY(other != nullptr && other->Model.SurfaceData.SurfaceSorted);
    TMDIChild* document = NewDocument(qPrintable(upTo));
    QVERIFY(document != nullptr);
    QCOMPARE(Form->OpenDocumentCount(), 2);
    Dialogs->Clear();

    QTemporaryDir folder;
    auto run = [&](bool succeeds) {
        if (command == "ButtonOpenSTL") {
            Dialogs->ChooseFile(kSample);
            if (succeeds) {
                Dialogs->CloseModal(QDialog::Accepted);  // "Параметры импорта"
            }
        } else if (command == "ButtonSaveAs") {
            Dialogs->ChooseFile(folder.filePath("saved.tsf"));
        }
        if (command == "SideBar") {
            document->Bar().Item(0, 0)->click();
        } else {
            tessarin::test::FindChild<QAction>(*Form, qPrintable(command))->trigger();
        }
    };

    Arm(throwAt, thrown);
    run(false);
    QCOMPARE(Clock->At, 0);  // the failure did happen
    QCOMPARE(Messages(*Dialogs), QStringList{"Error: " + message});
    const tessarin::test::TDialogRecord& error = Dialogs->Records().back();
    QCOMPARE(error.Kind, TDialogKind::Error);
    QVERIFY2(error.Detail.endsWith(detail), qPrintable(error.Detail));
    // The gauge is free again and every document is still there, the other untouched.
    QVERIFY(!Form->Gauge().Busy());
    QVERIFY(!Form->Busy());
    QCOMPARE(Form->OpenDocumentCount(), 2);
    QCOMPARE(Form->MdiArea().subWindowList().size(), 2);
    QCOMPARE(Form->ActiveDocument(), document);
    QVERIFY(other->Model.SurfaceData.SurfaceSorted);
    QVERIFY(tessarin::test::FindChild<QAction>(*Form, "ButtonNew")->isEnabled());

    // The program goes on: the same command, without the failure, does its work.
    Dialogs->Clear();
    run(true);
    QVERIFY2(Messages(*Dialogs).isEmpty() ||
                 Messages(*Dialogs) == QStringList{"Modal: Параметры импорта"},
             qPrintable(Messages(*Dialogs).join("; ")));
    const tessarin::model::TModel& model = document->Model;
    if (command == "ButtonOpenSTL") {
        QVERIFY(model.SurfaceData.SurfaceExist);
    } else if (command == "ButtonSortFaces") {
        QVERIFY(model.SurfaceData.SurfaceSorted);
    } else if (command == "ButtonCutEdge") {
        QVERIFY(model.CutEdgeExist);
    } else if (command == "SideBar") {
        QVERIFY(model.DefinedAngles[tessarin::model::kISK]);
    } else {
        QVERIFY(QFileInfo::exists(folder.filePath("saved.tsf")));
    }
    QVERIFY(!Form->Busy());
}

void TFailureGuardTest::BrokenProjectReadLeavesNoHalfDocument() {
    TMDIChild* other = NewDocument("stl");
    QVERIFY(other != nullptr);
    Dialogs->Clear();
    Dialogs->ChooseFile(kExampleProject);
    Arm(1, TThrown::BadAlloc);
    tessarin::test::FindChild<QAction>(*Form, "ButtonOpen")->trigger();
    // The half-read window goes without the save question; the one before stays.
    QCOMPARE(Messages(*Dialogs), QStringList{"Error: " + kNoMemory});
    QCOMPARE(Form->OpenDocumentCount(), 1);
    QCOMPARE(Form->ActiveDocument(), other);
    QVERIFY(!Form->Busy());

    Dialogs->Clear();
    Dialogs->ChooseFile(kExampleProject);
    tessarin::test::FindChild<QAction>(*Form, "ButtonOpen")->trigger();
    QVERIFY(Messages(*Dialogs).isEmpty());
    QCOMPARE(Form->OpenDocumentCount(), 2);

    // The recent-file list opens through the same guard.
    Dialogs->Clear();
    Arm(1, TThrown::BadAlloc);
    tessarin::test::FindChild<QAction>(*Form, "RecentFile1")->trigger();
    QCOMPARE(Messages(*Dialogs), QStringList{"Error: " + kNoMemory});
    QCOMPARE(Form->OpenDocumentCount(), 2);
    QVERIFY(!Form->Busy());
}

// The panel's buttons and edits hand their steps to the host's guard.
void TFailureGuardTest::ParameterPanelStepsAreGuarded() {
    bool failing = false;
    int guarded = 0;
    int caught = 0;
    tessarin::shell::TManagePanel::THost host;
    host.ActiveDocument = [&]() -> TMDIChild* {
        if (failing) {
            throw std::bad_alloc();
        }
        return nullptr;
    };
    host.UpdateCommandStates = [] {};
    host.SmartCursor = [] { return false; };
    host.RunGuarded = [&](const std::function<void()>& step) {
        ++guarded;
        try {
            step();
            return true;
        } catch (const std::bad_alloc&) {
            ++caught;
            return false;
        }
    };
    QWidget window;
    tessarin::shell::TManagePanel panel(*Dialogs, std::move(host));
    panel.GroupBox().setParent(&window);
    panel.Open(tessarin::shell::TManagePanel::kKinematic);

    failing = true;
    tessarin::test::FindChild<QToolButton>(panel.GroupBox(), "SpeedButtonOK")->click();
    QCOMPARE(caught, 1);
    tessarin::test::FindChild<QToolButton>(panel.GroupBox(), "SpeedButtonSkip")->click();
    QCOMPARE(caught, 2);
    panel.FirstEdit->SetValue(12.5);  // a change of an edit previews
    QCOMPARE(caught, 3);
    QCOMPARE(guarded, caught);
}

// What leaves an event handler another way reaches the application object, which
// reports it as the program's main does and drops the event.
void TFailureGuardTest::EscapedExceptionIsReportedByTheApplication() {
    auto* application = qobject_cast<tessarin::shell::TApplication*>(qApp);
    QVERIFY(application != nullptr);
    application->SetFailureHandler(
        [this] { Form->ReportCurrentException(Form->Gauge().OperationDepth()); });
    TMDIChild* document = NewDocument("stl");
    Dialogs->Clear();

    TThrowingObject object;
    QEvent sent(QEvent::User);
    QVERIFY(!QCoreApplication::sendEvent(&object, &sent));
    QCoreApplication::postEvent(&object, new QEvent(QEvent::User));
    QCoreApplication::processEvents();
    QCOMPARE(Dialogs->Transcript(), (QStringList{"Error: " + kNoMemory, "Error: " + kNoMemory}));
    QCOMPARE(Form->ActiveDocument(), document);

    // Without a handler the failure is only logged.
    application->SetFailureHandler({});
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^" + kNoMemory));
    QVERIFY(!QCoreApplication::sendEvent(&object, &sent));
    QCOMPARE(Dialogs->Transcript().size(), 2);
}

int main(int argc, char** argv) {
    // The program's own application object, as its main makes it.
    tessarin::shell::TApplication application(argc, argv);
    TFailureGuardTest test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "failure_guard_test.moc"
