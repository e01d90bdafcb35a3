#include "shell/main_window.h"

#include <QAction>
#include <QActionGroup>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QToolBar>
#include <QUrl>
#include <QVBoxLayout>

#include "model/types.h"
#include "shell/about_box.h"
#include "shell/app_settings.h"
#include "shell/command_icons.h"
#include "shell/dialogs.h"
#include "shell/help_files.h"
#include "shell/manage_panel.h"
#include "shell/select_dialog.h"
#include "shell/setting_form.h"
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

TMainForm::TMainForm(TDialogs& dialogs, TSettingsStore& settings, QWidget* parent)
    : QMainWindow(parent),
      DialogService(dialogs),
      Settings(settings),
      HelpFolderList(HelpFolders()),
      HelpOpener([](const QUrl& url) { return QDesktopServices::openUrl(url); }) {
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
    CreateMenus();
    CreateToolBars();
    CreateStatusBar();
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

QAction* TMainForm::MakeCommand(const char* name, const QString& caption, const QString& hint) {
    auto* action = new QAction(caption, this);
    action->setObjectName(QString::fromLatin1(name));
    const QString tip = hint.isEmpty() ? caption : hint;
    action->setStatusTip(tip);
    action->setToolTip(tip);
    action->setIcon(CommandIcon(action->objectName()));
    return action;
}

void TMainForm::Connect(QAction* action, void (TMainForm::*handler)()) {
    connect(action, &QAction::triggered, this, [this, handler] {
        // Nothing runs inside a long operation; the gauge holds user input back, this
        // stops whatever else might get through (a posted event, a drop).
        if (!Busy()) {
            (this->*handler)();
        }
    });
}

void TMainForm::CreateCommands() {
    ButtonNew = MakeCommand("ButtonNew", QStringLiteral("Новый"));
    ButtonNew->setShortcut(QKeySequence::New);
    ButtonOpen = MakeCommand("ButtonOpen", QStringLiteral("Открыть..."), QStringLiteral("Открыть"));
    ButtonOpen->setShortcut(QKeySequence::Open);
    ButtonOpenSTL = MakeCommand("ButtonOpenSTL", QStringLiteral("Открыть STL..."),
                                QStringLiteral("Открыть STL"));
    ButtonSave = MakeCommand("ButtonSave", QStringLiteral("Сохранить"));
    ButtonSave->setShortcut(QKeySequence::Save);
    ButtonSaveAs = MakeCommand("ButtonSaveAs", QStringLiteral("Сохранить как..."),
                               QStringLiteral("Сохранить как"));
    ButtonSaveAs->setShortcut(QKeySequence(QStringLiteral("Ctrl+Shift+S")));
    ButtonSettings = MakeCommand("ButtonSettings", QStringLiteral("Настройки"));
    ButtonExit = MakeCommand("ButtonExit", QStringLiteral("Выход"));
    ButtonExit->setShortcut(QKeySequence(QStringLiteral("Ctrl+Q")));
    Connect(ButtonNew, &TMainForm::ButtonNewClick);
    Connect(ButtonOpen, &TMainForm::ButtonOpenClick);
    Connect(ButtonOpenSTL, &TMainForm::ButtonOpenSTLClick);
    Connect(ButtonSave, &TMainForm::ButtonSaveClick);
    Connect(ButtonSaveAs, &TMainForm::ButtonSaveAsClick);
    Connect(ButtonSettings, &TMainForm::ButtonSettingsClick);
    connect(ButtonExit, &QAction::triggered, this, &QWidget::close);

    ButtonSortFaces = MakeCommand("ButtonSortFaces", QStringLiteral("Определить поверхности"));
    ButtonCutEdge = MakeCommand("ButtonCutEdge", QStringLiteral("Определить режущую кромку"));
    ButtonDiscardCutEdge =
        MakeCommand("ButtonDiscardCutEdge", QStringLiteral("Отбросить отрезки РК"));
    ButtonSelection = MakeCommand("ButtonSelection", QStringLiteral("Выборка"));
    ButtonRemoveSortFaces =
        MakeCommand("ButtonRemoveSortFaces", QStringLiteral("Удалить сортировку поверхностей"));
    ButtonRemoveCE = MakeCommand("ButtonRemoveCE", QStringLiteral("Удалить РК"));
    ButtonRemoveSelect = MakeCommand("ButtonRemoveSelect", QStringLiteral("Удалить выборку"));
    Connect(ButtonSortFaces, &TMainForm::ButtonSortFacesClick);
    Connect(ButtonCutEdge, &TMainForm::ButtonCutEdgeClick);
    Connect(ButtonDiscardCutEdge, &TMainForm::ButtonDiscardCutEdgeClick);
    Connect(ButtonSelection, &TMainForm::ButtonSelectionClick);
    Connect(ButtonRemoveSortFaces, &TMainForm::ButtonRemoveSortFacesClick);
    Connect(ButtonRemoveCE, &TMainForm::ButtonRemoveCEClick);
    Connect(ButtonRemoveSelect, &TMainForm::ButtonRemoveSelectClick);

    ButtonRotate = MakeCommand("ButtonRotate", QStringLiteral("Вращать"));
    ButtonPan = MakeCommand("ButtonPan", QStringLiteral("Двигать"));
    ButtonZoom = MakeCommand("ButtonZoom", QStringLiteral("Увеличить/уменьшить"));
    ButtonRotateZ = MakeCommand("ButtonRotateZ", QStringLiteral("Вращать вокруг Z"));
    for (QAction* mode : {ButtonRotate, ButtonPan, ButtonZoom, ButtonRotateZ}) {
        mode->setCheckable(true);
        connect(mode, &QAction::triggered, this, [this, mode] { NavigationModeClicked(mode); });
    }

    ButtonViewShaded = MakeCommand("ButtonViewShaded", QStringLiteral("Тонирование"));
    ButtonViewKarkas = MakeCommand("ButtonViewKarkas", QStringLiteral("Каркас"));
    auto* shading = new QActionGroup(this);
    shading->setExclusive(true);
    for (QAction* kind : {ButtonViewShaded, ButtonViewKarkas}) {
        kind->setCheckable(true);
        shading->addAction(kind);
        connect(kind, &QAction::triggered, this, &TMainForm::RepaintDocuments);
    }
    ButtonViewShaded->setChecked(true);

    struct TStandardView {
        QAction** Button;
        const char* Name;
        const char* Caption;
        int View;
    };
    const TStandardView views[] = {
        {&ButtonViewFront, "ButtonViewFront", "Вид спереди", 0},
        {&ButtonViewBack, "ButtonViewBack", "Вид сзади", 1},
        {&ButtonViewLeft, "ButtonViewLeft", "Вид слева", 4},
        {&ButtonViewRight, "ButtonViewRight", "Вид справа", 5},
        {&ButtonViewTop, "ButtonViewTop", "Вид сверху", 2},
        {&ButtonViewBottom, "ButtonViewBottom", "Вид снизу", 3},
        {&ButtonViewIso, "ButtonViewIso", "Изо", 6},
    };
    for (const TStandardView& view : views) {
        *view.Button = MakeCommand(view.Name, QString::fromUtf8(view.Caption));
        const int number = view.View;
        connect(*view.Button, &QAction::triggered, this, [this, number] {
            if (TMDIChild* document = ActiveDocument(); document != nullptr && !Busy()) {
                document->View().SetStandardView(number);
            }
        });
    }

    ButtonViewFaces = MakeCommand("ButtonViewFaces", QStringLiteral("Отображать поверхности"));
    ButtonViewCutEdge = MakeCommand("ButtonViewCutEdge", QStringLiteral("Отображать РК"));
    ButtonViewCS = MakeCommand("ButtonViewCS", QStringLiteral("Отображать СК"));
    ButtonViewFeedPlan =
        MakeCommand("ButtonViewFeedPlan", QStringLiteral("Отображать рабочую плоскость"));
    for (QAction* toggle : {ButtonViewFaces, ButtonViewCutEdge, ButtonViewCS, ButtonViewFeedPlan}) {
        toggle->setCheckable(true);
        connect(toggle, &QAction::triggered, this, &TMainForm::RepaintDocuments);
    }
    ButtonViewFaces->setChecked(true);
    ButtonViewCutEdge->setChecked(true);
    ButtonSaveImage = MakeCommand("ButtonSaveImage", QStringLiteral("Сохранить изображение..."),
                                  QStringLiteral("Сохранить изображение"));
    Connect(ButtonSaveImage, &TMainForm::ButtonSaveImageClick);

    ButtonTiled = MakeCommand("ButtonTiled", QStringLiteral("Упорядочить"));
    ButtonCascade = MakeCommand("ButtonCascade", QStringLiteral("Каскад"));
    connect(ButtonTiled, &QAction::triggered, this, [this] { Area->tileSubWindows(); });
    connect(ButtonCascade, &QAction::triggered, this, [this] { Area->cascadeSubWindows(); });
    WindowListGroup = new QActionGroup(this);
    WindowListGroup->setExclusive(true);

    ButtonHelp = MakeCommand("ButtonHelp", QStringLiteral("Справка"));
    // F1 also reaches it from inside a document window, as the window's own key.
    ButtonHelp->setShortcut(QKeySequence::HelpContents);
    ButtonAbout = MakeCommand("ButtonAbout", QStringLiteral("О программе"));
    Connect(ButtonHelp, &TMainForm::ButtonHelpClick);
    Connect(ButtonAbout, &TMainForm::ButtonAboutClick);
}

void TMainForm::CreateMenus() {
    MenuFile = menuBar()->addMenu(QStringLiteral("Файл"));
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
                OpenFiles({recent->data().toString()});
            }
        });
        MenuFile->addAction(recent);
        RecentActions.push_back(recent);
    }
    MenuFile->addSeparator();
    MenuFile->addAction(ButtonExit);

    QMenu* geometry = menuBar()->addMenu(QStringLiteral("Геометрия"));
    geometry->setObjectName(QStringLiteral("MenuGeometry"));
    geometry->addAction(ButtonSortFaces);
    geometry->addAction(ButtonCutEdge);
    geometry->addSeparator();
    geometry->addAction(ButtonDiscardCutEdge);
    geometry->addAction(ButtonSelection);
    geometry->addSeparator();
    geometry->addAction(ButtonRemoveSortFaces);
    geometry->addAction(ButtonRemoveCE);
    geometry->addAction(ButtonRemoveSelect);

    QMenu* view = menuBar()->addMenu(QStringLiteral("Вид"));
    view->setObjectName(QStringLiteral("MenuView"));
    view->addAction(ButtonRotate);
    view->addAction(ButtonPan);
    view->addAction(ButtonZoom);
    view->addAction(ButtonRotateZ);
    view->addSeparator();
    view->addAction(ButtonViewShaded);
    view->addAction(ButtonViewKarkas);
    QMenu* standard = view->addMenu(QStringLiteral("Стандартные виды"));
    standard->setObjectName(QStringLiteral("MenuStandardViews"));
    standard->addAction(ButtonViewFront);
    standard->addAction(ButtonViewBack);
    standard->addAction(ButtonViewLeft);
    standard->addAction(ButtonViewRight);
    standard->addAction(ButtonViewTop);
    standard->addAction(ButtonViewBottom);
    standard->addSeparator();
    standard->addAction(ButtonViewIso);
    view->addSeparator();
    view->addAction(ButtonViewFaces);
    view->addAction(ButtonViewCutEdge);
    view->addAction(ButtonViewCS);
    view->addAction(ButtonViewFeedPlan);
    view->addSeparator();
    view->addAction(ButtonSaveImage);

    MenuWindow = menuBar()->addMenu(QStringLiteral("Окно"));
    MenuWindow->setObjectName(QStringLiteral("MenuWindow"));
    MenuWindow->addAction(ButtonTiled);
    MenuWindow->addAction(ButtonCascade);
    MenuWindow->addSeparator();
    connect(MenuWindow, &QMenu::aboutToShow, this, &TMainForm::CheckActiveWindowEntry);

    QMenu* help = menuBar()->addMenu(QStringLiteral("Помощь"));
    help->setObjectName(QStringLiteral("MenuHelp"));
    help->addAction(ButtonHelp);
    help->addSeparator();
    help->addAction(ButtonAbout);
}

void TMainForm::CreateToolBars() {
    ToolBarStandard = addToolBar(QStringLiteral("Стандартная"));
    ToolBarStandard->setObjectName(QStringLiteral("ToolBarStandard"));
    ToolBarStandard->addAction(ButtonNew);
    ToolBarStandard->addAction(ButtonOpen);
    ToolBarStandard->addAction(ButtonOpenSTL);
    ToolBarStandard->addAction(ButtonSave);
    ToolBarStandard->addSeparator();
    ToolBarStandard->addAction(ButtonSettings);

    ToolBarGeometry = addToolBar(QStringLiteral("Геометрия"));
    ToolBarGeometry->setObjectName(QStringLiteral("ToolBarGeometry"));
    ToolBarGeometry->addAction(ButtonSortFaces);
    ToolBarGeometry->addAction(ButtonCutEdge);
    ToolBarGeometry->addSeparator();
    ToolBarGeometry->addAction(ButtonDiscardCutEdge);
    ToolBarGeometry->addAction(ButtonSelection);
    ToolBarGeometry->addSeparator();
    ToolBarGeometry->addAction(ButtonRemoveSortFaces);
    ToolBarGeometry->addAction(ButtonRemoveCE);
    ToolBarGeometry->addAction(ButtonRemoveSelect);

    ToolBarView = addToolBar(QStringLiteral("Вид"));
    ToolBarView->setObjectName(QStringLiteral("ToolBarView"));
    for (QAction* action : {ButtonRotate, ButtonPan, ButtonZoom, ButtonRotateZ}) {
        ToolBarView->addAction(action);
    }
    ToolBarView->addSeparator();
    ToolBarView->addAction(ButtonViewShaded);
    ToolBarView->addAction(ButtonViewKarkas);
    ToolBarView->addSeparator();
    for (QAction* action : {ButtonViewFront, ButtonViewBack, ButtonViewLeft, ButtonViewRight,
                            ButtonViewTop, ButtonViewBottom, ButtonViewIso}) {
        ToolBarView->addAction(action);
    }
    ToolBarView->addSeparator();
    for (QAction* action : {ButtonViewFaces, ButtonViewCutEdge, ButtonViewCS, ButtonViewFeedPlan}) {
        ToolBarView->addAction(action);
    }
    for (QToolBar* bar : {ToolBarStandard, ToolBarGeometry, ToolBarView}) {
        bar->setIconSize(QSize(24, 24));
        // The bars' visibility is the command states' business, not the user's.
        bar->toggleViewAction()->setVisible(false);
    }
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

TMDIChild* TMainForm::CreateDocument() {
    auto* document = new TMDIChild(*this, Settings.Read().DecimalSeparator);
    DocumentSlots.push_back({document, true});
    QMdiSubWindow* window = Area->addSubWindow(document);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setWindowIcon(ApplicationIcon());
    connect(document, &TMDIChild::SegmentPicked, Panel, &TManagePanel::SegmentPicked);
    window->showMaximized();
    Area->setActiveSubWindow(window);
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

TShellSettings TMainForm::CurrentSettings() const {
    return Settings.Read();
}

void TMainForm::ShowHelp() {
    ButtonHelpClick();
}

void TMainForm::AddWindowListEntry(TMDIChild& document, const QString& text) {
    auto* entry = new QAction(text, this);
    entry->setCheckable(true);
    WindowListGroup->addAction(entry);
    MenuWindow->addAction(entry);
    TMDIChild* target = &document;
    // The entry goes when its document closes, so `target` is whole whenever it fires.
    connect(entry, &QAction::triggered, this, [this, target] {
        if (auto* window = qobject_cast<QMdiSubWindow*>(target->parentWidget())) {
            if (window->isMinimized()) {
                window->showNormal();
            }
            Area->setActiveSubWindow(window);
            window->raise();
        }
    });
    WindowList.push_back({target, entry});
}

void TMainForm::RemoveWindowListEntry(TMDIChild& document) {
    for (auto it = WindowList.begin(); it != WindowList.end(); ++it) {
        if (it->Window == &document) {
            delete it->Action;
            WindowList.erase(it);
            return;
        }
    }
}

void TMainForm::CheckActiveWindowEntry() {
    const TMDIChild* active = ActiveDocument();
    for (const TWindowListEntry& entry : WindowList) {
        entry.Action->setChecked(entry.Window == active && active != nullptr);
    }
}

QStringList TMainForm::WindowListEntries() const {
    QStringList texts;
    for (const TWindowListEntry& entry : WindowList) {
        texts.append(entry.Action->text());
    }
    return texts;
}

void TMainForm::ClosePanelWithoutDocuments() {
    // With the last document gone the panel has nothing to work on.
    if (Panel != nullptr && PanelOpen() && OpenDocumentCount() == 0) {
        Panel->Close();
    }
}

void TMainForm::RepaintDocuments() {
    // The display toggles are one state for all documents; tiled windows show it too.
    for (const TDocumentSlot& slot : DocumentSlots) {
        if (slot.Alive()) {
            slot.Window->FormPaint();
        }
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

view::TDisplayToggles TMainForm::DisplayToggles() const {
    view::TDisplayToggles toggles;
    toggles.Faces = ButtonViewFaces->isChecked();
    toggles.CutEdge = ButtonViewCutEdge->isChecked();
    toggles.Shaded = ButtonViewShaded->isChecked();
    toggles.CS = ButtonViewCS->isChecked();
    toggles.FeedPlan = ButtonViewFeedPlan->isChecked();
    return toggles;
}

view::TMouseMode TMainForm::MouseMode() const {
    // Later tests override earlier ones; the buttons exclude each other anyway.
    view::TMouseMode mode = view::TMouseMode::None;
    if (ButtonRotate->isChecked()) {
        mode = view::TMouseMode::Rotate;
    }
    if (ButtonPan->isChecked()) {
        mode = view::TMouseMode::Pan;
    }
    if (ButtonZoom->isChecked()) {
        mode = view::TMouseMode::Zoom;
    }
    if (ButtonRotateZ->isChecked()) {
        mode = view::TMouseMode::RotateZ;
    }
    return mode;
}

void TMainForm::NavigationModeClicked(QAction* clicked) {
    if (!clicked->isChecked()) {
        return;  // a down button clicked again: no mode
    }
    for (QAction* mode : {ButtonRotate, ButtonPan, ButtonZoom, ButtonRotateZ}) {
        if (mode != clicked) {
            mode->setChecked(false);
        }
    }
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
    const int open = OpenDocumentCount();
    TMDIChild* active = ActiveDocument();

    ButtonCascade->setEnabled(open > 0);
    ButtonTiled->setEnabled(open > 0);

    QAction* const fileAndGeometry[] = {
        ButtonNew,       ButtonOpen,      ButtonOpenSTL,      ButtonSave,
        ButtonSaveAs,    ButtonSortFaces, ButtonCutEdge,      ButtonDiscardCutEdge,
        ButtonSelection, ButtonRemoveCE,  ButtonRemoveSelect, ButtonRemoveSortFaces};
    QAction* const geometry[] = {ButtonSortFaces,   ButtonCutEdge,         ButtonDiscardCutEdge,
                                 ButtonSelection,   ButtonRemoveSortFaces, ButtonRemoveCE,
                                 ButtonRemoveSelect};
    QAction* const modesAndViews[] = {ButtonRotate,     ButtonPan,       ButtonZoom,
                                      ButtonRotateZ,    ButtonViewFront, ButtonViewBack,
                                      ButtonViewLeft,   ButtonViewRight, ButtonViewTop,
                                      ButtonViewBottom, ButtonViewIso,   ButtonSaveImage};
    auto enable = [](auto& actions, bool enabled) {
        for (QAction* action : actions) {
            action->setEnabled(enabled);
        }
    };

    if (PanelOpen()) {
        enable(fileAndGeometry, false);
        for (QAction* recent : RecentActions) {
            recent->setEnabled(false);
        }
        if (active != nullptr) {
            active->SetSideBarEnabled(false);
        }
    } else {
        ButtonOpenSTL->setEnabled(open > 0);
        ButtonSave->setEnabled(open > 0);
        ButtonSaveAs->setEnabled(open > 0);
        ButtonNew->setEnabled(true);
        ButtonOpen->setEnabled(true);
        for (QAction* recent : RecentActions) {
            recent->setEnabled(true);
        }
        if (open == 0 || active == nullptr) {
            ToolBarGeometry->setVisible(false);
            ToolBarView->setVisible(false);
            enable(geometry, false);
            enable(modesAndViews, false);
            for (QAction* action : {ButtonViewShaded, ButtonViewKarkas, ButtonViewFaces,
                                    ButtonViewCutEdge, ButtonViewCS, ButtonViewFeedPlan}) {
                action->setEnabled(false);
            }
        } else {
            const model::TModel& model = active->Model;
            const bool loaded = model.SurfaceData.SurfaceExist;
            const bool sorted = model.SurfaceData.SurfaceSorted;
            const bool cutEdge = model.CutEdgeExist;
            bool anyAngles = false;
            for (const bool defined : model.DefinedAngles) {
                anyAngles = anyAngles || defined;
            }
            ButtonSortFaces->setEnabled(loaded);
            ButtonCutEdge->setEnabled(sorted);
            ButtonViewFaces->setEnabled(sorted);
            ButtonRemoveSortFaces->setEnabled(sorted);
            ButtonViewCutEdge->setEnabled(cutEdge);
            ButtonDiscardCutEdge->setEnabled(cutEdge);
            ButtonRemoveCE->setEnabled(cutEdge);
            active->SetSideBarEnabled(cutEdge);
            ButtonViewFeedPlan->setEnabled(model.ExistedCS[model::kExistedFeedPlan]);
            ButtonRemoveSelect->setEnabled(model.SelectCutEdgeExist);
            ButtonSelection->setEnabled(anyAngles);

            ToolBarGeometry->setVisible(loaded);
            ToolBarView->setVisible(loaded);
            enable(modesAndViews, loaded);
            ButtonViewKarkas->setEnabled(loaded);
            ButtonViewShaded->setEnabled(loaded);
            ButtonViewCS->setEnabled(loaded);
            if (loaded) {
                active->FillPropertyList();
            } else {
                ButtonViewFaces->setEnabled(false);
                ButtonViewFeedPlan->setEnabled(false);
            }
        }
    }

    if (open > 0 && active != nullptr && active->Model.CutEdgeExist) {
        active->SetMovingGroupsShown(active->Model.ExistedCS[model::kExistedFeedPlan]);
    }
    // The new states show when the command returns to the event loop. Pending events
    // are not processed here: input handled inside a command would run another
    // command inside it.
}

// ---- file commands ----------------------------------------------------------------------

void TMainForm::ButtonNewClick() {
    TMDIChild* document = CreateDocument();
    document->Model.SurfaceData.GeometrySettings = Settings.Read().Geometry;
    const QString caption =
        QStringLiteral("Untitled") + QString::number(static_cast<qsizetype>(DocumentSlots.size()));
    document->setWindowTitle(caption);
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
    document->setWindowTitle(QString());
    const model::TResult read = document->LoadFromProject(name);
    if (!read) {
        DialogService.Beep();
        DialogService.Error(this, kOpenError, QString::fromStdString(read.Reason()));
        CloseDocument(*document);
        return;
    }
    document->setWindowTitle(document->FileName);
    if (document->Model.CutEdgeExist) {
        document->ShowCuttingEdge();
    }
    AddWindowListEntry(*document, document->FileName);
    RememberRecentFile(name);
    UpdateCommandStates();
    document->FormPaint();
}

void TMainForm::ButtonOpenSTLClick() {
    TMDIChild* document = ActiveDocument();
    if (document == nullptr) {
        return;
    }
    if (document->Model.SurfaceData.SurfaceExist && !document->RemoveGeometry()) {
        return;
    }
    document->OpenStl();
    if (document->Model.SurfaceData.SurfaceExist) {
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
    document->setWindowTitle(document->FileName);
}

void TMainForm::ButtonSaveAsClick() {
    TMDIChild* document = ActiveDocument();
    if (document == nullptr) {
        return;
    }
    SaveDocumentAs(*document);
    document->setWindowTitle(document->FileName);
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
    if (document->ImportStl(path)) {
        RememberRecentFile(path);
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

// ---- geometry commands ----------------------------------------------------------------

void TMainForm::ButtonSortFacesClick() {
    TMDIChild* document = ActiveDocument();
    if (document == nullptr) {
        return;
    }
    if (document->Model.SurfaceData.SurfaceSorted && !document->RemoveSurfaceSorting()) {
        return;
    }
    document->Model.SurfaceData.SortSurfaces(*SmartGauge);
    document->FormPaint();
    UpdateCommandStates();
}

void TMainForm::ButtonCutEdgeClick() {
    TMDIChild* document = ActiveDocument();
    if (document == nullptr) {
        return;
    }
    if (document->Model.CutEdgeExist && !document->RemoveCuttingEdge()) {
        return;
    }
    if (document->Model.FindCutEdge(*SmartGauge)) {
        document->ShowCuttingEdge();
    } else {
        DialogService.Beep();
        DialogService.Warning(this,
                              QStringLiteral("Нет пересечений передней и задней поверхностей"));
    }
    // Also after an empty search: the old cutting edge may have been removed.
    UpdateCommandStates();
    document->FormPaint();
}

void TMainForm::ButtonDiscardCutEdgeClick() {
    if (TMDIChild* document = ActiveDocument(); document != nullptr) {
        document->DiscardSegments();
    }
}

void TMainForm::ButtonSelectionClick() {
    TMDIChild* document = ActiveDocument();
    if (document == nullptr) {
        UpdateCommandStates();
        return;
    }
    model::TModel& model = document->Model;
    SelectDlg->Prepare(model.SelectCutEdgeExist, model.DefinedAngles, model.DecimalSeparator);
    const int result = DialogService.RunModal(*SelectDlg);
    if (result == QDialog::Accepted && SelectDlg->OKPressed && !SelectDlg->AllEmpty &&
        SelectDlg->Query.Valid) {
        if (model.MakeSelection(SelectDlg->Query, *SmartGauge)) {
            document->FillSelectionLists();
            document->BuildDataTree();
            // Choosing the group's first system shows the selection in the table and the
            // chart; a tree without one has already been reported.
            document->SelectFirstChild(21);
        } else {
            // The previous selection, if any, stays.
            DialogService.Beep();
            DialogService.Warning(
                this, QStringLiteral("Отрезки, удовлетворяющие условиям выборки, не найдены"));
        }
        document->View().update();
    }
    UpdateCommandStates();
}

void TMainForm::ButtonRemoveSortFacesClick() {
    if (TMDIChild* document = ActiveDocument(); document != nullptr) {
        document->RemoveSurfaceSorting();
    }
    UpdateCommandStates();
}

void TMainForm::ButtonRemoveCEClick() {
    if (TMDIChild* document = ActiveDocument(); document != nullptr) {
        document->RemoveCuttingEdge();
    }
    UpdateCommandStates();
}

void TMainForm::ButtonRemoveSelectClick() {
    if (TMDIChild* document = ActiveDocument(); document != nullptr) {
        document->RemoveSelection();
    }
    UpdateCommandStates();
}

// ---- view, help -----------------------------------------------------------------------

void TMainForm::ButtonSaveImageClick() {
    TMDIChild* document = ActiveDocument();
    if (document == nullptr) {
        return;
    }
    QString proposed = QFileInfo(document->FileName).completeBaseName() + QStringLiteral(".png");
    if (const QString folder = DialogFolder(); !folder.isEmpty()) {
        proposed = QDir(folder).filePath(proposed);
    }
    const QString name =
        DialogService.SaveFileName(this, QStringLiteral("Сохранить изображение"),
                                   QStringLiteral("Изображения PNG (*.png)"), proposed);
    if (name.isEmpty()) {
        return;
    }
    const QImage image = document->View().GrabScene();
    if (image.isNull() || !image.save(name, "PNG")) {
        DialogService.Error(this, kSaveError,
                            QStringLiteral("cannot write the image %1").arg(name));
    }
}

void TMainForm::ButtonHelpClick() {
    const QString index = FindHelpIndex(HelpFolderList);
    // Desktop launchers report success for files that are not there, so the file is
    // looked for first.
    if (index.isEmpty()) {
        DialogService.Error(this, QStringLiteral("Не найден файл справки"),
                            QStringLiteral("no index.htm in %1").arg(HelpFolderList.join(", ")));
    } else if (!HelpOpener || !HelpOpener(QUrl::fromLocalFile(index))) {
        // The pages are there; what is missing is a program that shows them.
        DialogService.Error(this, QStringLiteral("Не найден файл справки"),
                            QStringLiteral("no program to open %1").arg(index));
    }
}

void TMainForm::ButtonAboutClick() {
    TAboutBox about(this);
    DialogService.RunModal(about);
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
    // Every document is asked, in creation order, also after one refused; the window
    // stays while any is still open.
    for (std::size_t i = 0; i < DocumentSlots.size(); ++i) {
        if (DocumentSlots[i].Alive()) {
            CloseDocument(*DocumentSlots[i].Window);
        }
    }
    if (OpenDocumentCount() > 0) {
        event->ignore();
        return;
    }
    event->accept();
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
    if (HasSuffix(CommandLineFile, "stl")) {
        ImportStlIntoNewDocument(CommandLineFile);
    } else {
        OpenProjectDocument(CommandLineFile);
    }
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
    OpenFiles(files);
}

}  // namespace tessarin::shell
