// The main window: the multiple-document frame with the menus, the three toolbars, the
// status bar with its progress gauge, the register of document windows and every
// command of the program. After each command UpdateCommandStates brings the enabled
// and shown states of all commands up to date from the active document's model.
//
// Commands are QActions named after their buttons ("ButtonNew", "ButtonCutEdge", ...);
// a menu item and its toolbar button are the same action. They are made from the
// command table (see command_table.h), whose parts live with each menu's handlers:
// main_window_file.cpp, _geometry, _view, _windows, _help (and _settings for
// "Настройки"); this file holds the construction, the register of documents, what
// the documents read and the command states.
//
// Every command, the side bar's items and the parameter panel run inside RunGuarded:
// an exception (an allocation that fails on a huge model, above all) becomes an error
// message, and every document stays open.
#pragma once

#include <QMainWindow>
#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

#include "document/mdi_child.h"
#include "shell/command_table.h"
#include "shell/dialogs.h"

class QAction;
class QActionGroup;
class QLabel;
class QMdiArea;
class QMenu;
class QToolBar;
class QUrl;

namespace tessarin::shell {

class THelpWindow;
class TManagePanel;
class TSelectDlg;
class TSettingsStore;
class TSettingForm;
class TSmartGauge;

class TMainForm final : public QMainWindow, public document::TDocumentHost {
    Q_OBJECT

public:
    TMainForm(TDialogs& dialogs, TSettingsStore& settings, QWidget* parent = nullptr);
    ~TMainForm() override;

    // One slot per document window ever created, in creation order; a closed window's
    // slot stays, not alive, so the n-th new document is always "Untitled" n. Window is
    // null once the window has been destroyed.
    struct TDocumentSlot {
        document::TMDIChild* Window = nullptr;
        bool Open = false;
        bool Alive() const { return Open; }
    };
    const std::vector<TDocumentSlot>& Documents() const { return DocumentSlots; }
    // Index of the active document's slot; -1 when no document window is open.
    int CurrentDocument() const { return CurrentIndex; }
    document::TMDIChild* ActiveDocument() const;
    int OpenDocumentCount() const;
    void UpdateCurrentDocument();

    void UpdateCommandStates() override;

    // Creates a document and reads a project file into it; a file that does not read
    // shows "Ошибка при открытии файла" and the new window closes again.
    void OpenProjectDocument(const QString& name);
    bool SaveDocument(document::TMDIChild& document) override;
    bool SaveDocumentAs(document::TMDIChild& document) override;
    // Projects (.tsf) open into new documents, STL models (.stl) are imported into new
    // documents; names of files that do not exist and other types are skipped.
    void OpenFiles(const QStringList& paths);

    // The file named on the command line, opened when the window is first shown: an
    // .stl is imported into a new document, anything else is read as a project.
    void SetCommandLineFile(const QString& path) { CommandLineFile = path; }

    // The panel is open: its group box shows and its Mode is not 0.
    bool PanelOpen() const override;
    // Opens the parameter panel in `mode` (1..4) on the active document and brings the
    // command states up to date (file and geometry commands and the side bar disabled).
    void OpenManagePanel(int mode) override;
    int ManagePanelMode() const override;
    TManagePanel& ManagePanel() const { return *Panel; }
    // The selection dialog, created once and reused for every document.
    TSelectDlg& SelectDialog() const { return *SelectDlg; }

    // Where "Справка" looks for index.htm, in order; by default HelpFolders() (the
    // executable's folder, then the installed data folder).
    void SetHelpFolder(const QString& folder) { HelpFolderList = QStringList{folder}; }
    void SetHelpFolders(const QStringList& folders) { HelpFolderList = folders; }
    // How "Справка" opens the index; QDesktopServices::openUrl by default. False when
    // the desktop could not open it: the pages are then shown in the program's own help
    // window.
    void SetHelpOpener(std::function<bool(const QUrl&)> opener) { HelpOpener = std::move(opener); }
    THelpWindow* HelpWindow() const { return HelpPages; }

    // The interface settings reach every open document (chart, table columns, panel
    // style) and the menu bar and toolbars (ApplyButtonStyle).
    void ApplyInterfaceSettings();
    // 0 the default look, 1 standard raised buttons, 2 flat buttons; others as 0.
    void ApplyButtonStyle(int style);
    int ButtonStyle() const { return ButtonStyleIndex; }
    // The settings dialog, made with the window and reused by "Настройки".
    TSettingForm& SettingDialog() const { return *SettingForm; }

    TSmartGauge& Gauge() { return *SmartGauge; }
    QLabel& StatusPanel(int index) const {
        return *StatusPanels.at(static_cast<std::size_t>(index));
    }
    // The active document in the status bar: its file, the polygons (rake, flank and
    // other), the cutting edge's segments, the selected segments and the chosen table
    // rows; empty without a document.
    QLabel& DocumentStatus() const { return *DocumentStatusPanel; }
    void UpdateDocumentStatus();
    QMdiArea& MdiArea() const { return *Area; }
    // Texts of the "Окна" list, in order.
    QStringList WindowListEntries() const;

    bool Busy() const override;

    // Runs `step` of a command; an exception it throws is shown as an error (see
    // ReportFailure) and the result is false. Nested calls report once, innermost.
    bool RunGuarded(const std::function<void()>& step) override;
    // After a failed step: the error message ("Недостаточно памяти для выполнения
    // операции" for a failed allocation, "Ошибка при выполнении операции" otherwise,
    // the exception's text under it), the operations the step started finished on the
    // gauge down to `gaugeDepth`, the documents repainted and the command states
    // brought up to date. Call only inside a catch block.
    void ReportCurrentException(int gaugeDepth = 0);

    // The command table, in menu order.
    const std::vector<TCommand>& Commands() const { return CommandTable; }

public slots:
    void ButtonNewClick();
    void ButtonOpenClick();
    void ButtonOpenSTLClick();
    void ButtonSaveClick();
    void ButtonSaveAsClick();
    void ButtonSettingsClick();
    void ButtonSortFacesClick();
    void ButtonCutEdgeClick();
    void ButtonDiscardCutEdgeClick();
    void ButtonSelectionClick();
    void ButtonRemoveSortFacesClick();
    void ButtonRemoveCEClick();
    void ButtonRemoveSelectClick();
    void ButtonTransformModelClick();
    void ButtonTolerancesClick();
    void ButtonColourMapClick();
    void ButtonHelpClick();
    void ButtonAboutClick();
    void ButtonSaveImageClick();

protected:
    // The hint of the command under the mouse goes into the first panel, where the gauge
    // writes an operation's text; Qt's own status message would hide the gauge.
    bool event(QEvent* event) override;
    // FormClose: closes the documents in turn; the first that stays open stops it.
    void closeEvent(QCloseEvent* event) override;
    // FormShow: opens the command line's file at the first showing.
    void showEvent(QShowEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    // document::TDocumentHost
    TDialogs& Dialogs() override { return DialogService; }
    model::TProgress& Progress() override;
    QString DialogFolder() const override;
    view::TDisplayToggles DisplayToggles() const override;
    view::TMouseMode MouseMode() const override;
    void DocumentClosed(document::TMDIChild& document) override;
    void DocumentDestroyed(document::TMDIChild& document) override;
    document::TDocumentSettings DocumentSettings() const override;
    model::TImportOptions ImportDefaults() const override;
    void SetImportDefaults(const model::TImportOptions& options) override;
    void ShowHelp() override;
    void ShowStatus(const QString& text) override;

    // The parts of the command table, one per menu.
    static std::vector<TCommand> FileCommands();
    static std::vector<TCommand> GeometryCommands();
    static std::vector<TCommand> ViewCommands();
    static std::vector<TCommand> WindowCommands();
    static std::vector<TCommand> HelpCommands();
    void CreateCommands();
    QAction* MakeCommand(const TCommand& command);
    // Each menu's part of the menu bar and its toolbar, in the bar's order.
    void CreateFileMenu();
    void CreateGeometryMenu();
    void CreateViewMenu();
    void CreateWindowMenu();
    void CreateHelpMenu();
    void CreateFileToolBar();
    void CreateGeometryToolBar();
    void CreateViewToolBar();
    void CreateStatusBar();
    void ShowStandardView(int view);

    // What puts the current document window and the focus inside it back (see
    // TRestoringDialogs); nothing when no document is open.
    std::function<void()> KeepActiveDocument();
    document::TMDIChild* CreateDocument();
    void CloseDocument(document::TMDIChild& document);
    void AddWindowListEntry(document::TMDIChild& document, const QString& text);
    void RemoveWindowListEntry(document::TMDIChild& document);
    void CheckActiveWindowEntry();
    void RepaintDocuments();
    void ClosePanelWithoutDocuments();
    void NavigationModeClicked(QAction* clicked);
    void RememberRecentFile(const QString& path);
    void RebuildRecentFiles();
    void ImportStlIntoNewDocument(const QString& path);

    // Every dialog of the program goes through this: the document active when a modal
    // interaction began is active again, with the focus, when it ends.
    TRestoringDialogs DialogService;
    TSettingsStore& Settings;
    QMdiArea* Area = nullptr;
    TSmartGauge* SmartGauge = nullptr;
    std::vector<QLabel*> StatusPanels;
    QLabel* DocumentStatusPanel = nullptr;
    std::vector<TDocumentSlot> DocumentSlots;
    int CurrentIndex = -1;
    TManagePanel* Panel = nullptr;
    TSelectDlg* SelectDlg = nullptr;
    bool FirstShow = true;
    bool TearingDown = false;
    QString CommandLineFile;
    QStringList HelpFolderList;
    std::function<bool(const QUrl&)> HelpOpener;
    THelpWindow* HelpPages = nullptr;  // created when the desktop cannot show the help
    TSettingForm* SettingForm = nullptr;
    int ButtonStyleIndex = 0;

    QToolBar* ToolBarStandard = nullptr;
    QToolBar* ToolBarGeometry = nullptr;
    QToolBar* ToolBarView = nullptr;
    QMenu* MenuFile = nullptr;
    QMenu* MenuWindow = nullptr;
    QAction* RecentSeparator = nullptr;
    std::vector<TCommand> CommandTable;
    std::vector<QAction*> RecentActions;
    QActionGroup* WindowListGroup = nullptr;
    struct TWindowListEntry {
        document::TMDIChild* Window;
        QAction* Action;
    };
    std::vector<TWindowListEntry> WindowList;

    // The commands, named as their buttons.
    QAction* ButtonNew = nullptr;
    QAction* ButtonOpen = nullptr;
    QAction* ButtonOpenSTL = nullptr;
    QAction* ButtonSave = nullptr;
    QAction* ButtonSaveAs = nullptr;
    QAction* ButtonSettings = nullptr;
    QAction* ButtonExit = nullptr;
    QAction* ButtonSortFaces = nullptr;
    QAction* ButtonCutEdge = nullptr;
    QAction* ButtonDiscardCutEdge = nullptr;
    QAction* ButtonSelection = nullptr;
    QAction* ButtonRemoveSortFaces = nullptr;
    QAction* ButtonRemoveCE = nullptr;
    QAction* ButtonRemoveSelect = nullptr;
    QAction* ButtonTransformModel = nullptr;
    QAction* ButtonTolerances = nullptr;
    QAction* ButtonRotate = nullptr;
    QAction* ButtonPan = nullptr;
    QAction* ButtonZoom = nullptr;
    QAction* ButtonRotateZ = nullptr;
    QAction* ButtonViewShaded = nullptr;
    QAction* ButtonViewKarkas = nullptr;
    QAction* ButtonViewFront = nullptr;
    QAction* ButtonViewBack = nullptr;
    QAction* ButtonViewLeft = nullptr;
    QAction* ButtonViewRight = nullptr;
    QAction* ButtonViewTop = nullptr;
    QAction* ButtonViewBottom = nullptr;
    QAction* ButtonViewIso = nullptr;
    QAction* ButtonViewFaces = nullptr;
    QAction* ButtonViewCutEdge = nullptr;
    QAction* ButtonViewCS = nullptr;
    QAction* ButtonViewFeedPlan = nullptr;
    QAction* ButtonSaveImage = nullptr;
    QAction* ButtonColourMap = nullptr;
    QAction* ButtonTiled = nullptr;
    QAction* ButtonCascade = nullptr;
    QAction* ButtonHelp = nullptr;
    QAction* ButtonAbout = nullptr;
};

}  // namespace tessarin::shell
