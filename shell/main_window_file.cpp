// The "Файл" menu and the standard toolbar: new documents, projects opened and saved,
// STL models imported, the recent-file list, and the files dropped on the window or
// named on the command line.
#include <QAction>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QToolBar>
#include <QUrl>

#include "model/analysis_steps.h"
#include "shell/app_settings.h"
#include "shell/main_window.h"
#include "shell/smart_gauge.h"

namespace tessarin::shell {

namespace {

using document::TMDIChild;

const QString kOpenError = QStringLiteral("Ошибка при открытии файла");
const QString kSaveError = QStringLiteral("Ошибка при сохранении файла");
const QString kProjectFilter = QStringLiteral("Файлы Tessarin (*.tsf)");
const QString kSaveProjectFilter = QStringLiteral("Файл Tessarin (*.tsf)");

bool HasSuffix(const QString& path, const char* suffix) {
    return QFileInfo(path).suffix().compare(QLatin1String(suffix), Qt::CaseInsensitive) == 0;
}

// The local files of a drag that the program can open.
QStringList OpenableFiles(const QMimeData* data) {
    QStringList files;
    if (data == nullptr || !data->hasUrls()) {
        return files;
    }
    for (const QUrl& url : data->urls()) {
        const QString path = url.toLocalFile();
        if (!path.isEmpty() && (HasSuffix(path, "tsf") || HasSuffix(path, "stl"))) {
            files.append(path);
        }
    }
    return files;
}

}  // namespace

std::vector<TCommand> TMainForm::FileCommands() {
    const TEnabling always{TCommandKind::File, &TCommandContext::Always};
    const TEnabling withDocuments{TCommandKind::File, &TCommandContext::DocumentsOpen};
    return {
        {.Action = &TMainForm::ButtonNew,
         .Name = "ButtonNew",
         .Caption = "Новый",
         .Shortcut = QKeySequence::New,
         .Run = &TMainForm::ButtonNewClick,
         .Enabling = always},
        {.Action = &TMainForm::ButtonOpen,
         .Name = "ButtonOpen",
         .Caption = "Открыть...",
         .Hint = "Открыть",
         .Shortcut = QKeySequence::Open,
         .Run = &TMainForm::ButtonOpenClick,
         .Enabling = always},
        {.Action = &TMainForm::ButtonOpenSTL,
         .Name = "ButtonOpenSTL",
         .Caption = "Открыть STL...",
         .Hint = "Открыть STL",
         .Run = &TMainForm::ButtonOpenSTLClick,
         .Enabling = always},
        {.Action = &TMainForm::ButtonSave,
         .Name = "ButtonSave",
         .Caption = "Сохранить",
         .Shortcut = QKeySequence::Save,
         .Run = &TMainForm::ButtonSaveClick,
         .Enabling = withDocuments},
        {.Action = &TMainForm::ButtonSaveAs,
         .Name = "ButtonSaveAs",
         .Caption = "Сохранить как...",
         .Hint = "Сохранить как",
         .Shortcut = QKeySequence(QStringLiteral("Ctrl+Shift+S")),
         .Run = &TMainForm::ButtonSaveAsClick,
         .Enabling = withDocuments},
        {.Action = &TMainForm::ButtonSettings,
         .Name = "ButtonSettings",
         .Caption = "Настройки",
         .Run = &TMainForm::ButtonSettingsClick},
        {.Action = &TMainForm::ButtonExit,
         .Name = "ButtonExit",
         .Caption = "Выход",
         .Shortcut = QKeySequence(QStringLiteral("Ctrl+Q")),
         .Run = [](TMainForm& form) { form.close(); },
         .WhileBusy = true},
    };
}

void TMainForm::CreateFileMenu() {
    MenuFile = menuBar()->addMenu(QStringLiteral("&Файл"));
    MenuFile->setObjectName(QStringLiteral("MenuFile"));
    MenuFile->addAction(ButtonNew);
    MenuFile->addAction(ButtonOpen);
    MenuFile->addAction(ButtonOpenSTL);
    MenuFile->addAction(ButtonSave);
    MenuFile->addAction(ButtonSaveAs);
    MenuFile->addSeparator();
    MenuFile->addAction(ButtonSettings);
    RecentSeparator = MenuFile->addSeparator();
    for (int i = 0; i < kRecentFileCount; ++i) {
        auto* recent = new QAction(this);
        recent->setObjectName(QStringLiteral("RecentFile%1").arg(i + 1));
        connect(recent, &QAction::triggered, this, [this, recent] {
            if (!Busy()) {
                RunGuarded([this, recent] { OpenFiles({recent->data().toString()}); });
            }
        });
        MenuFile->addAction(recent);
        RecentActions.push_back(recent);
    }
    MenuFile->addSeparator();
    MenuFile->addAction(ButtonExit);
}

void TMainForm::CreateFileToolBar() {
    ToolBarStandard = addToolBar(QStringLiteral("Стандартная"));
    ToolBarStandard->setObjectName(QStringLiteral("ToolBarStandard"));
    ToolBarStandard->addAction(ButtonNew);
    ToolBarStandard->addAction(ButtonOpen);
    ToolBarStandard->addAction(ButtonOpenSTL);
    ToolBarStandard->addAction(ButtonSave);
    ToolBarStandard->addSeparator();
    ToolBarStandard->addAction(ButtonSettings);
}

void TMainForm::ButtonNewClick() {
    TMDIChild* document = CreateDocument();
    document->Model.SurfaceData.GeometrySettings = Settings.Read().Geometry;
    const QString caption =
        QStringLiteral("Untitled") + QString::number(static_cast<qsizetype>(DocumentSlots.size()));
    document->SetCaption(caption);
    document->FileName = caption;
    AddWindowListEntry(*document, caption);
    UpdateCommandStates();
}

void TMainForm::ButtonOpenClick() {
    const QString name =
        DialogService.OpenFileName(this, QStringLiteral("Открыть"), kProjectFilter, DialogFolder());
    if (name.isEmpty() || !QFileInfo::exists(name)) {
        return;
    }
    OpenProjectDocument(name);
}

void TMainForm::OpenProjectDocument(const QString& name) {
    TMDIChild* document = CreateDocument();
    document->SetCaption(QString());
    const int gaugeDepth = SmartGauge->OperationDepth();
    const model::TResult read = [&] {
        try {
            return document->LoadFromProject(name);
        } catch (...) {
            // A read that broke off (out of memory) leaves a model nobody made: the
            // window goes as after a failed read, without the save question, and the
            // guard reports why. A window does not close under a running operation, so
            // the broken one is finished first.
            SmartGauge->FinishDownTo(gaugeDepth);
            document->Model.SurfaceData.Modified = false;
            CloseDocument(*document);
            throw;
        }
    }();
    if (!read) {
        DialogService.Beep();
        DialogService.Error(this, kOpenError, QString::fromStdString(read.Reason()));
        CloseDocument(*document);
        return;
    }
    document->SetCaption(document->FileName);
    if (document->Model.CutEdgeExist) {
        document->ShowCuttingEdge();
    }
    AddWindowListEntry(*document, document->FileName);
    RememberRecentFile(name);
    UpdateCommandStates();
    // The project is open and whole; what in it no longer fits is said once it shows.
    for (const std::string& warning : model::ProjectWarnings(document->Model)) {
        DialogService.Beep();
        DialogService.Warning(document, QString::fromStdString(warning));
    }
    document->FormPaint();
}

void TMainForm::ButtonOpenSTLClick() {
    TMDIChild* document = ActiveDocument();
    if (document == nullptr) {
        // Without a document the model goes into a new one, as a recent .stl does.
        ButtonNewClick();
        document = ActiveDocument();
        if (document == nullptr) {
            return;
        }
    }
    if (document->Model.SurfaceData.SurfaceExist && !document->ConfirmReplaceGeometry()) {
        return;
    }
    if (document->OpenStl()) {
        RememberRecentFile(document->StlFileName);
    }
    UpdateCommandStates();
}

void TMainForm::ButtonSaveClick() {
    TMDIChild* document = ActiveDocument();
    if (document == nullptr) {
        return;
    }
    if (document->HasFileName) {
        SaveDocument(*document);
    } else {
        SaveDocumentAs(*document);
    }
    document->SetCaption(document->FileName);
}

void TMainForm::ButtonSaveAsClick() {
    TMDIChild* document = ActiveDocument();
    if (document == nullptr) {
        return;
    }
    SaveDocumentAs(*document);
    document->SetCaption(document->FileName);
}

bool TMainForm::SaveDocument(TMDIChild& document) {
    if (!document.HasFileName) {
        return true;
    }
    const model::TResult saved = document.SaveToProject(document.FileName);
    if (!saved) {
        DialogService.Error(this, kSaveError, QString::fromStdString(saved.Reason()));
        return false;
    }
    RememberRecentFile(document.FileName);
    return true;
}

bool TMainForm::SaveDocumentAs(TMDIChild& document) {
    QString proposed = document.FileName;
    if (const QString folder = DialogFolder();
        !folder.isEmpty() && QFileInfo(proposed).isRelative()) {
        proposed = QDir(folder).filePath(proposed);
    }
    const QString name = DialogService.SaveFileName(this, QStringLiteral("Сохранить как"),
                                                    kSaveProjectFilter, proposed);
    if (name.isEmpty()) {
        return false;
    }
    const model::TResult saved = document.SaveToProject(name);
    if (!saved) {
        DialogService.Error(this, kSaveError, QString::fromStdString(saved.Reason()));
        return false;
    }
    RememberRecentFile(name);
    return true;
}

void TMainForm::OpenFiles(const QStringList& paths) {
    for (const QString& path : paths) {
        if (!QFileInfo(path).isFile()) {
            continue;
        }
        if (HasSuffix(path, "tsf")) {
            OpenProjectDocument(path);
        } else if (HasSuffix(path, "stl")) {
            ImportStlIntoNewDocument(path);
        }
    }
}

void TMainForm::ImportStlIntoNewDocument(const QString& path) {
    ButtonNewClick();
    TMDIChild* document = ActiveDocument();
    if (document == nullptr) {
        return;
    }
    switch (document->ImportStl(path)) {
        case TMDIChild::TImportOutcome::Imported:
            RememberRecentFile(path);
            break;
        case TMDIChild::TImportOutcome::Cancelled:
            // Nothing imported: the document made for the model goes again, unasked. Its
            // slot stays used, as after a project that did not open.
            document->Model.SurfaceData.Modified = false;
            CloseDocument(*document);
            break;
        case TMDIChild::TImportOutcome::Failed:
            break;
    }
    UpdateCommandStates();
}

void TMainForm::RememberRecentFile(const QString& path) {
    if (path.isEmpty()) {
        return;
    }
    Settings.SetRecentFiles(
        WithRecentFile(Settings.RecentFiles(), QFileInfo(path).absoluteFilePath()));
    RebuildRecentFiles();
}

void TMainForm::RebuildRecentFiles() {
    const QStringList files = Settings.RecentFiles();
    for (std::size_t i = 0; i < RecentActions.size(); ++i) {
        QAction* action = RecentActions[i];
        const bool used = static_cast<qsizetype>(i) < files.size();
        action->setVisible(used);
        if (used) {
            const QString& file = files.at(static_cast<qsizetype>(i));
            action->setText(QStringLiteral("&%1 %2").arg(i + 1).arg(QFileInfo(file).fileName()));
            action->setData(file);
            action->setStatusTip(file);
            action->setToolTip(file);
        }
    }
    RecentSeparator->setVisible(!files.isEmpty());
}

void TMainForm::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!FirstShow) {
        return;
    }
    FirstShow = false;
    if (CommandLineFile.isEmpty()) {
        return;
    }
    RunGuarded([this] {
        if (HasSuffix(CommandLineFile, "stl")) {
            ImportStlIntoNewDocument(CommandLineFile);
        } else {
            OpenProjectDocument(CommandLineFile);
        }
    });
}

void TMainForm::dragEnterEvent(QDragEnterEvent* event) {
    if (!Busy() && !PanelOpen() && !OpenableFiles(event->mimeData()).isEmpty()) {
        event->acceptProposedAction();
    }
}

void TMainForm::dropEvent(QDropEvent* event) {
    const QStringList files = OpenableFiles(event->mimeData());
    if (Busy() || PanelOpen() || files.isEmpty()) {
        return;
    }
    event->acceptProposedAction();
    // Like a command: a failure is reported and the documents stay.
    RunGuarded([this, &files] { OpenFiles(files); });
}

}  // namespace tessarin::shell
