#include "shell/main_window.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QPointer>
#include <QShortcut>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QToolBar>
#include <QUrl>
#include <QVBoxLayout>

#include <optional>

#include "base/language.h"
#include "document/data_panel.h"
#include "document/import_dialog.h"
#include "model/types.h"
#include "shell/app_settings.h"
#include "shell/command_icons.h"
#include "shell/failure.h"
#include "shell/help_files.h"
#include "shell/manage_panel.h"
#include "shell/select_dialog.h"
#include "shell/setting_form.h"
#include "shell/smart_gauge.h"

namespace tessarin::shell {

using document::TMDIChild;

TMainForm::TMainForm(TDialogs& dialogs, TSettingsStore& settings, QWidget* parent)
    : QMainWindow(parent),
      DialogService(dialogs, [this] { return KeepActiveDocument(); }),
      Settings(settings),
      HelpFolderList(HelpFolders()),
      HelpOpener([](const QUrl& url) { return QDesktopServices::openUrl(url); }) {
    // The program speaks Russian, and so do the reasons the core gives it to show.
    base::SetMessageLanguage(base::TLanguage::Russian);
    setObjectName(QStringLiteral("MainForm"));
    setWindowTitle(QStringLiteral("Tessarin"));
    setWindowIcon(ApplicationIcon());
    setAcceptDrops(true);

    Area = new QMdiArea;
    Area->setObjectName(QStringLiteral("MdiArea"));
    Area->setBackground(QColor(128, 128, 128));
    // The parameter panel lies along the bottom edge, under the document windows.
    TManagePanel::THost panelHost;
    panelHost.ActiveDocument = [this] { return ActiveDocument(); };
    panelHost.UpdateCommandStates = [this] { UpdateCommandStates(); };
    panelHost.SmartCursor = [this] { return Settings.Read().SmartCursor; };
    panelHost.RunGuarded = [this](const std::function<void()>& step) { return RunGuarded(step); };
    Panel = new TManagePanel(DialogService, std::move(panelHost), this);
    auto* central = new QWidget;
    auto* centralLayout = new QVBoxLayout(central);
    centralLayout->setContentsMargins(0, 0, 0, 0);
    centralLayout->setSpacing(0);
    centralLayout->addWidget(Area, 1);
    centralLayout->addWidget(&Panel->GroupBox());
    setCentralWidget(central);
    SelectDlg = new TSelectDlg(DialogService, this);
    connect(Area, &QMdiArea::subWindowActivated, this, [this] {
        // FormActivate of the document that became active (or of none).
        UpdateCurrentDocument();
        UpdateCommandStates();
        Panel->DocumentActivated();
    });

    CreateCommands();
    CreateFileMenu();
    CreateGeometryMenu();
    CreateViewMenu();
    CreateWindowMenu();
    CreateHelpMenu();
    CreateFileToolBar();
    CreateGeometryToolBar();
    CreateViewToolBar();
    for (QToolBar* bar : {ToolBarStandard, ToolBarGeometry, ToolBarView}) {
        bar->setIconSize(QSize(24, 24));
        // The bars' visibility is the command states' business, not the user's.
        bar->toggleViewAction()->setVisible(false);
    }
    CreateStatusBar();
    // F10 takes the keyboard to the menu bar, on its first menu.
    auto* menuKey = new QShortcut(QKeySequence(Qt::Key_F10), this);
    menuKey->setObjectName(QStringLiteral("MenuBarKey"));
    connect(menuKey, &QShortcut::activated, this, [this] {
        if (menuBar()->isVisible() && !menuBar()->actions().isEmpty()) {
            menuBar()->setFocus(Qt::ShortcutFocusReason);
            menuBar()->setActiveAction(menuBar()->actions().constFirst());
        }
    });
    RebuildRecentFiles();
    SettingForm = new TSettingForm(DialogService, Settings.Read().DecimalSeparator, this);
    UpdateCommandStates();
}

TMainForm::~TMainForm() {
    // Documents still open go before the gauge and the actions they call back into,
    // while this is still a whole TMainForm; the register goes down with them.
    TearingDown = true;
    disconnect(Area, nullptr, this, nullptr);
    delete Area;
    Area = nullptr;
}

// ---- construction -------------------------------------------------------------------

void TMainForm::CreateCommands() {
    for (const std::vector<TCommand>& part :
         {FileCommands(), GeometryCommands(), ViewCommands(), WindowCommands(), HelpCommands()}) {
        CommandTable.insert(CommandTable.end(), part.begin(), part.end());
    }
    for (const TCommand& command : CommandTable) {
        QAction* action = MakeCommand(command);
        this->*command.Action = action;
        connect(action, &QAction::triggered, this,
                [this, run = command.Run, whileBusy = command.WhileBusy] {
                    // Nothing runs inside a long operation; the gauge holds user input
                    // back, this stops whatever else might get through (a posted event,
                    // a drop).
                    if (whileBusy || !Busy()) {
                        RunGuarded([this, &run] { run(*this); });
                        // The hint of the command chosen is done with: the status bar
                        // shows the document again, not what the mouse last passed.
                        if (!Busy() && StatusPanels.size() > 0) {
                            StatusPanels[0]->clear();
                        }
                    }
                });
    }
}

QAction* TMainForm::MakeCommand(const TCommand& command) {
    auto* action = new QAction(QString::fromUtf8(command.Caption), this);
    action->setObjectName(QString::fromLatin1(command.Name));
    const QString tip = command.Hint != nullptr ? QString::fromUtf8(command.Hint) : action->text();
    action->setStatusTip(tip);
    action->setToolTip(tip);
    action->setIcon(CommandIcon(action->objectName()));
    if (!command.Shortcut.isEmpty()) {
        action->setShortcut(command.Shortcut);
    }
    action->setCheckable(command.Checkable);
    action->setChecked(command.Checked);
    return action;
}

void TMainForm::CreateStatusBar() {
    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("StatusBar"));
    for (const int width : {180, 250, 100}) {
        auto* panel = new QLabel;
        panel->setFixedWidth(width);
        panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        bar->addWidget(panel);
        StatusPanels.push_back(panel);
    }
    StatusPanels[0]->setObjectName(QStringLiteral("StatusPanelText"));
    // The gauge lies over the second panel.
    auto* gaugeLayout = new QHBoxLayout(StatusPanels[1]);
    gaugeLayout->setContentsMargins(4, 0, 4, 0);
    SmartGauge = new TSmartGauge(*StatusPanels[0]);
    SmartGauge->setObjectName(QStringLiteral("SmartGauge"));
    gaugeLayout->addWidget(SmartGauge);
    DocumentStatusPanel = new QLabel;
    DocumentStatusPanel->setObjectName(QStringLiteral("StatusPanelDocument"));
    DocumentStatusPanel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    DocumentStatusPanel->setTextFormat(Qt::PlainText);
    bar->addWidget(DocumentStatusPanel, 1);
}

void TMainForm::UpdateDocumentStatus() {
    if (DocumentStatusPanel == nullptr) {
        return;
    }
    const TMDIChild* document = ActiveDocument();
    if (document == nullptr) {
        DocumentStatusPanel->clear();
        DocumentStatusPanel->setToolTip(QString());
        return;
    }
    const model::TModel& m = document->Model;
    QStringList parts;
    parts << QFileInfo(document->Caption()).fileName();
    if (m.SurfaceData.SurfaceExist) {
        QString polygons = QStringLiteral("Полигоны: %1").arg(m.SurfaceData.PolygonCount);
        if (m.SurfaceData.SurfaceSorted) {
            polygons += QStringLiteral(" (передние %1, задние %2, прочие %3)")
                            .arg(m.SurfaceData.FrontPolygons.size())
                            .arg(m.SurfaceData.BackPolygons.size())
                            .arg(m.SurfaceData.OtherPolygons.size());
        }
        parts << polygons;
        parts << QStringLiteral("Единицы: %1, ось: %2")
                     .arg(document::LengthUnitText(m.SurfaceData.ImportOptions.Unit),
                          document::ToolAxisText(m.SurfaceData.ImportOptions.Axis,
                                                 m.DecimalSeparator));
    }
    if (m.CutEdgeExist) {
        parts << QStringLiteral("Отрезки РК: %1").arg(m.CutEdge.size());
        if (m.SelectCutEdgeExist) {
            parts << QStringLiteral("Выборка: %1").arg(m.SelectCutEdge.size());
        }
        const auto [top, bottom] = document->Data().ChosenRows();
        if (top >= 0) {
            parts << (top == bottom ? QStringLiteral("Строка: %1").arg(top + 1)
                                    : QStringLiteral("Строки: %1..%2 (%3)")
                                          .arg(top + 1)
                                          .arg(bottom + 1)
                                          .arg(bottom - top + 1));
        }
    }
    const QString text = parts.join(QStringLiteral("  |  "));
    DocumentStatusPanel->setText(text);
    DocumentStatusPanel->setToolTip(document->Caption());
}

// ---- the register of documents --------------------------------------------------------

TMDIChild* TMainForm::ActiveDocument() const {
    if (CurrentIndex < 0 || CurrentIndex >= static_cast<int>(DocumentSlots.size())) {
        return nullptr;
    }
    const TDocumentSlot& slot = DocumentSlots[static_cast<std::size_t>(CurrentIndex)];
    return slot.Alive() ? slot.Window : nullptr;
}

int TMainForm::OpenDocumentCount() const {
    int count = 0;
    for (const TDocumentSlot& slot : DocumentSlots) {
        count += slot.Alive() ? 1 : 0;
    }
    return count;
}

void TMainForm::UpdateCurrentDocument() {
    // The current sub-window rather than the active one: it is the same while the
    // program has the focus, and it stays defined while another program has it.
    const QMdiSubWindow* active = Area != nullptr ? Area->currentSubWindow() : nullptr;
    CurrentIndex = -1;
    for (std::size_t i = 0; i < DocumentSlots.size(); ++i) {
        const TDocumentSlot& slot = DocumentSlots[i];
        if (slot.Alive() && active != nullptr && active->widget() == slot.Window) {
            CurrentIndex = static_cast<int>(i);
            return;
        }
    }
}

std::function<void()> TMainForm::KeepActiveDocument() {
    QMdiSubWindow* current = Area != nullptr ? Area->currentSubWindow() : nullptr;
    if (current == nullptr) {
        return {};
    }
    // The main window's focus child, kept also while the program is not active.
    QWidget* focus = focusWidget();
    QPointer<QMdiSubWindow> window(current);
    QPointer<QWidget> focused(focus != nullptr && current->isAncestorOf(focus) ? focus : nullptr);
    return [this, window, focused] {
        if (TearingDown || window.isNull() || Area == nullptr ||
            !Area->subWindowList().contains(window.data()) || window->widget() == nullptr) {
            return;
        }
        if (Area->currentSubWindow() != window) {
            Area->setActiveSubWindow(window);
        }
        // The focus decides which document the main window activates when it is
        // activated again: it goes where it was in that document, or to the document.
        QWidget* target =
            !focused.isNull() && focused->isVisible() ? focused.data() : window->widget();
        target->setFocus(Qt::OtherFocusReason);
        UpdateCurrentDocument();
    };
}

TMDIChild* TMainForm::CreateDocument() {
    auto* document = new TMDIChild(*this, Settings.Read().DecimalSeparator);
    DocumentSlots.push_back({document, true});
    QMdiSubWindow* window = Area->addSubWindow(document);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setWindowIcon(ApplicationIcon());
    connect(document, &TMDIChild::SegmentPicked, Panel, &TManagePanel::SegmentPicked);
    connect(&document->Data(), &document::TDataPanel::ChosenRowsChanged, this, [this, document] {
        if (document == ActiveDocument()) {
            UpdateDocumentStatus();
        }
    });
    window->showMaximized();
    Area->setActiveSubWindow(window);
    // The new document takes the keyboard: the focus left in the one active before would
    // make that one active again as soon as the main window is activated.
    document->setFocus(Qt::OtherFocusReason);
    UpdateCurrentDocument();
    return document;
}

void TMainForm::CloseDocument(TMDIChild& document) {
    if (QWidget* window = document.parentWidget(); window != nullptr) {
        window->close();
    } else {
        document.close();
    }
}

void TMainForm::DocumentClosed(TMDIChild& document) {
    for (TDocumentSlot& slot : DocumentSlots) {
        if (slot.Window == &document) {
            slot.Open = false;
        }
    }
    RemoveWindowListEntry(document);
    UpdateCurrentDocument();
    ClosePanelWithoutDocuments();
    UpdateCommandStates();
}

void TMainForm::DocumentDestroyed(TMDIChild& document) {
    // FormDestroy. Also for a window that never went through FormClose (destroyed with
    // the program), so the register never holds a dangling pointer.
    for (TDocumentSlot& slot : DocumentSlots) {
        if (slot.Window == &document) {
            slot.Window = nullptr;
            slot.Open = false;
        }
    }
    RemoveWindowListEntry(document);
    if (!TearingDown) {
        UpdateCurrentDocument();
        ClosePanelWithoutDocuments();
        UpdateCommandStates();
    }
}

void TMainForm::ClosePanelWithoutDocuments() {
    // With the last document gone the panel has nothing to work on.
    if (Panel != nullptr && PanelOpen() && OpenDocumentCount() == 0) {
        Panel->Close();
    }
}

// ---- what the documents read ----------------------------------------------------------

model::TProgress& TMainForm::Progress() {
    return *SmartGauge;
}

bool TMainForm::Busy() const {
    return SmartGauge != nullptr && SmartGauge->Busy();
}

QString TMainForm::DialogFolder() const {
    const TShellSettings settings = Settings.Read();
    return settings.UsePath ? settings.Path : QString();
}

document::TDocumentSettings TMainForm::DocumentSettings() const {
    const TShellSettings settings = Settings.Read();
    return {settings.FlatPanels, settings.ViewChart, settings.CustomTable};
}

model::TImportOptions TMainForm::ImportDefaults() const {
    return Settings.Read().Import;
}

void TMainForm::SetImportDefaults(const model::TImportOptions& options) {
    Settings.WriteImportDefaults(options);
}

void TMainForm::OpenManagePanel(int mode) {
    if (mode < TManagePanel::kStatic || mode > TManagePanel::kFeedPlan) {
        return;
    }
    Panel->Open(mode);
    UpdateCommandStates();
    RepaintDocuments();
}

bool TMainForm::PanelOpen() const {
    return Panel != nullptr && Panel->Mode != TManagePanel::kClosed;
}

int TMainForm::ManagePanelMode() const {
    return Panel != nullptr ? Panel->Mode : 0;
}

// ---- command states -------------------------------------------------------------------

void TMainForm::UpdateCommandStates() {
    TMDIChild* active = ActiveDocument();
    TCommandContext context;
    context.OpenDocuments = OpenDocumentCount();
    context.Active = active;
    context.PanelOpen = PanelOpen();
    for (const TCommand& command : CommandTable) {
        if (const std::optional<bool> enabled = EnabledState(command.Enabling, context)) {
            (this->*command.Action)->setEnabled(*enabled);
        }
    }
    for (QAction* recent : RecentActions) {
        recent->setEnabled(!context.PanelOpen);
    }
    for (const TDocumentSlot& slot : DocumentSlots) {
        if (slot.Alive()) {
            slot.Window->ShowModified();
        }
    }
    UpdateDocumentStatus();

    // The analysis toolbars and the side bar follow the active document; while the
    // panel is open the bars stay as they are and the side bar is off.
    const bool document = context.OpenDocuments > 0 && active != nullptr;
    if (context.PanelOpen) {
        if (active != nullptr) {
            active->SetSideBarEnabled(false);
        }
    } else {
        ToolBarGeometry->setVisible(document && context.Loaded());
        ToolBarView->setVisible(document && context.Loaded());
        if (document) {
            active->SetSideBarEnabled(context.CutEdge());
            if (context.Loaded()) {
                active->FillPropertyList();
            }
        }
    }
    if (document && active->Model.CutEdgeExist) {
        active->SetMovingGroupsShown(active->Model.ExistedCS[model::kExistedFeedPlan]);
    }
    // The new states show when the command returns to the event loop. Pending events
    // are not processed here: input handled inside a command would run another
    // command inside it.
}

// ---- failures -------------------------------------------------------------------------

bool TMainForm::RunGuarded(const std::function<void()>& step) {
    const int gaugeDepth = SmartGauge != nullptr ? SmartGauge->OperationDepth() : 0;
    try {
        step();
        return true;
    } catch (...) {
        ReportCurrentException(gaugeDepth);
        return false;
    }
}

void TMainForm::ReportCurrentException(int gaugeDepth) {
    // The operation that threw never reached its end: its progress goes first, or the
    // gauge would stay busy and hold every later command back.
    if (SmartGauge != nullptr) {
        SmartGauge->FinishDownTo(gaugeDepth);
    }
    // Memory may still be short: whatever of the report cannot be made is left out,
    // and nothing throws on into the event loop.
    try {
        const TFailure failure = CurrentFailure();
        DialogService.Beep();
        DialogService.Error(this, failure.Text, failure.Detail);
    } catch (...) {
        DialogService.Beep();
    }
    try {
        // What the step got done stays; the documents and commands show it.
        RepaintDocuments();
        UpdateCommandStates();
    } catch (...) {
        DialogService.Beep();
    }
}

// ---- window events --------------------------------------------------------------------

bool TMainForm::event(QEvent* event) {
    if (event->type() == QEvent::StatusTip) {
        if (!Busy()) {
            StatusPanels[0]->setText(static_cast<QStatusTipEvent*>(event)->tip());
        }
        return true;
    }
    return QMainWindow::event(event);
}

void TMainForm::closeEvent(QCloseEvent* event) {
    if (Busy()) {
        event->ignore();
        return;
    }
    // The documents are asked in creation order; the first that stays open ("Отмена",
    // or a save that did not happen) stops the quitting, and the rest are not asked.
    for (std::size_t i = 0; i < DocumentSlots.size(); ++i) {
        if (!DocumentSlots[i].Alive()) {
            continue;
        }
        CloseDocument(*DocumentSlots[i].Window);
        if (DocumentSlots[i].Alive()) {
            event->ignore();
            return;
        }
    }
    event->accept();
}

void TMainForm::ShowStatus(const QString& text) {
    if (!StatusPanels.empty()) {
        StatusPanels[0]->setText(text);
    }
}

}  // namespace tessarin::shell
