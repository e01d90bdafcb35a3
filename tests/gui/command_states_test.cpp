// Which commands the main window enables and which toolbars it shows, for every step of
// the analysis road and with the parameter panel open or closed; the navigation modes
// that exclude each other; the structure of the menus and toolbars.
#include <QShortcut>
#include <QtTest>

#include <QDialog>

#include <QAction>
#include <QLabel>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>

#include <memory>

#include "document/data_panel.h"
#include "document/mdi_child.h"
#include "model/model.h"
#include "shell/main_window.h"
#include "shell/manage_panel.h"
#include "shell/smart_gauge.h"
#include "tests/gui/support/memory_settings.h"
#include "tests/gui/support/scripted_dialogs.h"
#include "view/scene_view.h"

using tessarin::document::TMDIChild;
using tessarin::shell::TMainForm;
using tessarin::test::TMemorySettings;
using tessarin::test::TScriptedDialogs;

namespace {

// How far along the analysis road the active document is.
enum class TState {
    NoDocument,
    EmptyDocument,
    StlLoaded,
    Sorted,
    CutEdge,
    FeedPlanDefined,
    AnglesComputed,
    SelectionMade,
};

const QString kSample = QStringLiteral(TESSARIN_SAMPLES "/cutter.stl");

// Every command whose state the rules decide, as their buttons are named.
const QStringList kCommands = {
    "ButtonNew",
    "ButtonOpen",
    "ButtonOpenSTL",
    "ButtonSave",
    "ButtonSaveAs",
    "ButtonSettings",
    "ButtonSortFaces",
    "ButtonCutEdge",
    "ButtonDiscardCutEdge",
    "ButtonSelection",
    "ButtonRemoveSortFaces",
    "ButtonRemoveCE",
    "ButtonRemoveSelect",
    "ButtonTransformModel",
    "ButtonTolerances",
    "ButtonRotate",
    "ButtonPan",
    "ButtonZoom",
    "ButtonRotateZ",
    "ButtonViewShaded",
    "ButtonViewKarkas",
    "ButtonViewFront",
    "ButtonViewBack",
    "ButtonViewLeft",
    "ButtonViewRight",
    "ButtonViewTop",
    "ButtonViewBottom",
    "ButtonViewIso",
    "ButtonViewFaces",
    "ButtonViewCutEdge",
    "ButtonViewCS",
    "ButtonViewFeedPlan",
    "ButtonSaveImage",
    "ButtonColourMap",
    "ButtonTiled",
    "ButtonCascade",
    "ButtonHelp",
    "ButtonAbout",
};

QStringList Words(const char* text) {
    return QString::fromLatin1(text).split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

// The commands usable in a state, with words for the groups the rules treat alike.
QStringList Expand(const char* text) {
    static const QHash<QString, QStringList> groups{
        {"always", Words("ButtonSettings ButtonHelp ButtonAbout")},
        {"views", Words("ButtonRotate ButtonPan ButtonZoom ButtonRotateZ ButtonViewShaded "
                        "ButtonViewKarkas ButtonViewFront ButtonViewBack ButtonViewLeft "
                        "ButtonViewRight ButtonViewTop ButtonViewBottom ButtonViewIso "
                        "ButtonViewCS ButtonSaveImage")},
        {"windows", Words("ButtonTiled ButtonCascade")},
        {"documents", Words("ButtonOpenSTL ButtonSave ButtonSaveAs")},
    };
    QStringList names;
    for (const QString& word : Words(text)) {
        names += groups.value(word, {word});
    }
    names.sort();
    return names;
}

struct TSideBarState {
    bool Enabled;
    bool MovingGroupsShown;  // "Кинематическая СК" and "Динамическая СК"
};

}  // namespace

Q_DECLARE_METATYPE(TState)

class TCommandStatesTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void EnablingRules_data();
    void EnablingRules();
    void NavigationModesExcludeEachOther_data();
    void NavigationModesExcludeEachOther();
    void ShadingIsARadioPair();
    void MenusAndToolbarsKeepTheirOrder_data();
    void MenusAndToolbarsKeepTheirOrder();
    void HintsAreCaptionsExceptThree();
    void TableHoldsEveryCommandWithItsShortcut();
    void MenusHaveAccessKeysAndF10();
    void StatusBarShowsTheActiveDocument();

private:
    void Reach(TState state);
    QStringList EnabledCommands() const;
    QAction* Command(const QString& name) const;

    std::unique_ptr<TScriptedDialogs> Dialogs;
    std::unique_ptr<TMemorySettings> Settings;
    std::unique_ptr<TMainForm> Form;
};

void TCommandStatesTest::init() {
    Dialogs = std::make_unique<TScriptedDialogs>();
    Settings = std::make_unique<TMemorySettings>();
    Form = std::make_unique<TMainForm>(*Dialogs, *Settings);
    // Never shown: the offscreen platform has no OpenGL, and a shown window holding the
    // 3-D view cannot be flushed there. The commands and states need no screen.
}

void TCommandStatesTest::cleanup() {
    QVERIFY2(Dialogs->Unscripted().isEmpty(), qPrintable(Dialogs->Unscripted().join("; ")));
    // Documents are changed; closing the form would ask, so the form goes without it.
    Form.reset();
    Settings.reset();
    Dialogs.reset();
}

QAction* TCommandStatesTest::Command(const QString& name) const {
    QAction* action = Form->findChild<QAction*>(name);
    if (action == nullptr) {
        qFatal("no command %s", qPrintable(name));
    }
    return action;
}

QStringList TCommandStatesTest::EnabledCommands() const {
    QStringList enabled;
    for (const QString& name : kCommands) {
        if (Command(name)->isEnabled()) {
            enabled.append(name);
        }
    }
    enabled.sort();
    return enabled;
}

// The road through the program's own commands as far as they go; the states that need
// the parameter panel and the side bar (coordinate systems, angles, selection) are set
// on the model as those would leave it.
void TCommandStatesTest::Reach(TState state) {
    if (state == TState::NoDocument) {
        return;
    }
    Command("ButtonNew")->trigger();
    if (state == TState::EmptyDocument) {
        return;
    }
    Dialogs->ChooseFile(kSample);
    Dialogs->CloseModal(QDialog::Accepted);  // "Параметры импорта"
    Command("ButtonOpenSTL")->trigger();
    if (state == TState::StlLoaded) {
        return;
    }
    Command("ButtonSortFaces")->trigger();
    if (state == TState::Sorted) {
        return;
    }
    Command("ButtonCutEdge")->trigger();
    TMDIChild* document = Form->ActiveDocument();
    QVERIFY(document != nullptr);
    QVERIFY(document->Model.CutEdgeExist);
    tessarin::model::TModel& model = document->Model;
    if (state >= TState::FeedPlanDefined) {
        model.ExistedCS[tessarin::model::kExistedSSK] = true;
        model.ExistedCS[tessarin::model::kExistedFeedPlan] = true;
    }
    if (state >= TState::AnglesComputed) {
        model.DefinedAngles[tessarin::model::kSSK] = true;
    }
    if (state >= TState::SelectionMade) {
        model.SelectCutEdge.push_back(model.CutEdge.front());
        model.SelectCutEdgeExist = true;
    }
    Form->UpdateCommandStates();
}

void TCommandStatesTest::EnablingRules_data() {
    QTest::addColumn<TState>("state");
    QTest::addColumn<bool>("panelOpen");
    QTest::addColumn<QStringList>("enabled");
    QTest::addColumn<bool>("toolbarsShown");  // "Геометрия" and "Вид"
    QTest::addColumn<bool>("sideBarEnabled");
    QTest::addColumn<bool>("movingGroupsShown");

    // Closed panel: each step of the road adds its commands.
    // "Открыть STL..." makes a document when there is none.
    QTest::newRow("no document") << TState::NoDocument << false
                                 << Expand("always ButtonNew ButtonOpen ButtonOpenSTL") << false
                                 << false << false;
    QTest::newRow("empty document")
        << TState::EmptyDocument << false << Expand("always ButtonNew ButtonOpen documents windows")
        << false << false << false;
    QTest::newRow("STL loaded") << TState::StlLoaded << false
                                << Expand(
                                       "always ButtonNew ButtonOpen documents windows views "
                                       "ButtonSortFaces ButtonTransformModel")
                                << true << false << false;
    QTest::newRow("sorted")
        << TState::Sorted << false
        << Expand(
               "always ButtonNew ButtonOpen documents windows views "
               "ButtonSortFaces ButtonTransformModel ButtonCutEdge ButtonViewFaces "
               "ButtonRemoveSortFaces")
        << true << false << false;
    QTest::newRow("cutting edge")
        << TState::CutEdge << false
        << Expand(
               "always ButtonNew ButtonOpen documents windows views ButtonSortFaces "
               "ButtonTransformModel "
               "ButtonCutEdge ButtonViewFaces ButtonRemoveSortFaces ButtonViewCutEdge "
               "ButtonDiscardCutEdge ButtonRemoveCE")
        << true << true << false;
    QTest::newRow("working plane")
        << TState::FeedPlanDefined << false
        << Expand(
               "always ButtonNew ButtonOpen documents windows views ButtonSortFaces "
               "ButtonTransformModel "
               "ButtonCutEdge ButtonViewFaces ButtonRemoveSortFaces ButtonViewCutEdge "
               "ButtonDiscardCutEdge ButtonRemoveCE ButtonViewFeedPlan")
        << true << true << true;
    QTest::newRow("angles")
        << TState::AnglesComputed << false
        << Expand(
               "always ButtonNew ButtonOpen documents windows views ButtonSortFaces "
               "ButtonTransformModel "
               "ButtonCutEdge ButtonViewFaces ButtonRemoveSortFaces ButtonViewCutEdge "
               "ButtonDiscardCutEdge ButtonRemoveCE ButtonViewFeedPlan ButtonSelection "
               "ButtonTolerances ButtonColourMap")
        << true << true << true;
    QTest::newRow("selection")
        << TState::SelectionMade << false
        << Expand(
               "always ButtonNew ButtonOpen documents windows views ButtonSortFaces "
               "ButtonTransformModel "
               "ButtonCutEdge ButtonViewFaces ButtonRemoveSortFaces ButtonViewCutEdge "
               "ButtonDiscardCutEdge ButtonRemoveCE ButtonViewFeedPlan ButtonSelection "
               "ButtonRemoveSelect ButtonTolerances ButtonColourMap")
        << true << true << true;

    // Open panel: no file or geometry command, the side bar off; the view commands and
    // the toolbars stay as the closed panel left them.
    QTest::newRow("no document, panel open")
        << TState::NoDocument << true << Expand("always") << false << false << false;
    QTest::newRow("empty document, panel open")
        << TState::EmptyDocument << true << Expand("always windows") << false << false << false;
    QTest::newRow("STL loaded, panel open")
        << TState::StlLoaded << true << Expand("always windows views") << true << false << false;
    QTest::newRow("sorted, panel open")
        << TState::Sorted << true << Expand("always windows views ButtonViewFaces") << true << false
        << false;
    QTest::newRow("cutting edge, panel open")
        << TState::CutEdge << true
        << Expand("always windows views ButtonViewFaces ButtonViewCutEdge") << true << false
        << false;
    QTest::newRow("working plane, panel open")
        << TState::FeedPlanDefined << true
        << Expand("always windows views ButtonViewFaces ButtonViewCutEdge ButtonViewFeedPlan")
        << true << false << true;
    QTest::newRow("selection, panel open")
        << TState::SelectionMade << true
        << Expand(
               "always windows views ButtonViewFaces ButtonViewCutEdge ButtonViewFeedPlan "
               "ButtonColourMap")
        << true << false << true;
}

void TCommandStatesTest::EnablingRules() {
    QFETCH(TState, state);
    QFETCH(bool, panelOpen);
    QFETCH(QStringList, enabled);
    QFETCH(bool, toolbarsShown);
    QFETCH(bool, sideBarEnabled);
    QFETCH(bool, movingGroupsShown);

    Reach(state);
    if (QTest::currentTestFailed()) {
        return;
    }
    if (panelOpen) {
        Form->OpenManagePanel(tessarin::shell::TManagePanel::kStatic);
    }

    QCOMPARE(EnabledCommands(), enabled);
    QCOMPARE(!Form->findChild<QToolBar*>("ToolBarGeometry")->isHidden(), toolbarsShown);
    QCOMPARE(!Form->findChild<QToolBar*>("ToolBarView")->isHidden(), toolbarsShown);
    QVERIFY(!Form->findChild<QToolBar*>("ToolBarStandard")->isHidden());
    // The menus themselves are never disabled, the window list neither.
    for (QAction* menu : Form->menuBar()->actions()) {
        QVERIFY2(menu->isEnabled(), qPrintable(menu->text()));
    }
    if (TMDIChild* document = Form->ActiveDocument(); document != nullptr) {
        QCOMPARE(document->SideBarEnabled(), sideBarEnabled);
        QCOMPARE(document->SideBarGroupShown(0), true);
        QCOMPARE(document->SideBarGroupShown(1), true);
        QCOMPARE(document->SideBarGroupShown(2), movingGroupsShown);
        QCOMPARE(document->SideBarGroupShown(3), movingGroupsShown);
        // The side bar and the data panel are there exactly while a cutting edge is.
        QCOMPARE(document->PanelsShown(), document->Model.CutEdgeExist);
    } else {
        QVERIFY(!sideBarEnabled);
    }

    if (panelOpen) {
        // Closing the panel again brings back what the model allows.
        Form->ManagePanel().SpeedButtonCancelClick();
        QVERIFY(Command("ButtonNew")->isEnabled());
        QCOMPARE(Command("ButtonSave")->isEnabled(), state != TState::NoDocument);
    }
}

void TCommandStatesTest::NavigationModesExcludeEachOther_data() {
    QTest::addColumn<QStringList>("clicks");
    QTest::addColumn<QString>("down");  // the one button left down, empty for none
    // A drag of 50 pixels to the right in the view then changes, by mode:
    QTest::addColumn<double>("rotationY");  // rotate: +10 degrees about Y
    QTest::addColumn<double>("panX");       // pan: +50/800
    QTest::addColumn<double>("zoom");       // zoom: divided by 10^(50/500)
    QTest::addColumn<double>("rotationZ");  // rotate about Z: +10 degrees

    const double sideways = std::pow(0.1, 50.0 / 500.0);
    QTest::newRow("none") << QStringList{} << QString() << 0.0 << 0.0 << 1.0 << 0.0;
    QTest::newRow("rotate") << QStringList{"ButtonRotate"} << "ButtonRotate" << 10.0 << 0.0 << 1.0
                            << 0.0;
    QTest::newRow("pan after rotate") << QStringList{"ButtonRotate", "ButtonPan"} << "ButtonPan"
                                      << 0.0 << 50.0 / 800.0 << 1.0 << 0.0;
    QTest::newRow("pan twice is no mode")
        << QStringList{"ButtonPan", "ButtonPan"} << QString() << 0.0 << 0.0 << 1.0 << 0.0;
    QTest::newRow("zoom after pan")
        << QStringList{"ButtonPan", "ButtonZoom"} << "ButtonZoom" << 0.0 << 0.0 << sideways << 0.0;
    QTest::newRow("rotate about Z last")
        << QStringList{"ButtonRotate", "ButtonZoom", "ButtonRotateZ"} << "ButtonRotateZ" << 0.0
        << 0.0 << 1.0 << 10.0;
    QTest::newRow("rotate after rotate about Z") << QStringList{"ButtonRotateZ", "ButtonRotate"}
                                                 << "ButtonRotate" << 10.0 << 0.0 << 1.0 << 0.0;
}

void TCommandStatesTest::NavigationModesExcludeEachOther() {
    QFETCH(QStringList, clicks);
    QFETCH(QString, down);
    QFETCH(double, rotationY);
    QFETCH(double, panX);
    QFETCH(double, zoom);
    QFETCH(double, rotationZ);

    Reach(TState::StlLoaded);
    for (const QString& click : clicks) {
        Command(click)->trigger();
    }
    for (const char* mode : {"ButtonRotate", "ButtonPan", "ButtonZoom", "ButtonRotateZ"}) {
        QCOMPARE(Command(mode)->isChecked(), QLatin1String(mode) == down);
    }

    // The document's view reads the mode at every move of a drag. (The right button:
    // without a mode the left one turns the view by itself.)
    tessarin::view::TSceneView& view = Form->ActiveDocument()->View();
    QTest::mousePress(&view, Qt::RightButton, Qt::NoModifier, QPoint(100, 100));
    QTest::mouseMove(&view, QPoint(150, 100));
    QTest::mouseRelease(&view, Qt::RightButton, Qt::NoModifier, QPoint(150, 100));
    QCOMPARE(view.ViewRotation.y, rotationY);
    QCOMPARE(view.ViewPan.x, panX);
    QVERIFY2(std::abs(view.ViewZoom - zoom) < 1e-12, qPrintable(QString::number(view.ViewZoom)));
    QCOMPARE(view.ViewRotation.z, rotationZ);
}

void TCommandStatesTest::ShadingIsARadioPair() {
    Reach(TState::StlLoaded);
    QAction* shaded = Command("ButtonViewShaded");
    QAction* wire = Command("ButtonViewKarkas");
    QVERIFY(shaded->isChecked());
    QVERIFY(!wire->isChecked());
    wire->trigger();
    QVERIFY(!shaded->isChecked());
    QVERIFY(wire->isChecked());
    wire->trigger();  // the down button of a radio pair stays down
    QVERIFY(wire->isChecked());
    shaded->trigger();
    QVERIFY(shaded->isChecked());
    QVERIFY(!wire->isChecked());

    // The display toggles start as the view expects: surfaces and cutting edge down.
    QVERIFY(Command("ButtonViewFaces")->isChecked());
    QVERIFY(Command("ButtonViewCutEdge")->isChecked());
    QVERIFY(!Command("ButtonViewCS")->isChecked());
    QVERIFY(!Command("ButtonViewFeedPlan")->isChecked());
}

namespace {

// A menu or toolbar as text: commands by object name, "-" for a separator, "[title]"
// for a submenu; hidden items (the recent-file list while it is empty) are left out.
QStringList Layout(const QList<QAction*>& actions) {
    QStringList items;
    for (QAction* action : actions) {
        if (!action->isVisible()) {
            continue;
        }
        if (action->isSeparator()) {
            items.append(QStringLiteral("-"));
        } else if (action->menu() != nullptr) {
            items.append(QStringLiteral("[") + action->text() + QStringLiteral("]"));
        } else {
            items.append(action->objectName());
        }
    }
    return items;
}

}  // namespace

void TCommandStatesTest::MenusAndToolbarsKeepTheirOrder_data() {
    QTest::addColumn<QString>("object");
    QTest::addColumn<QStringList>("items");

    QTest::newRow("Файл") << "MenuFile"
                          << Words(
                                 "ButtonNew ButtonOpen ButtonOpenSTL ButtonSave ButtonSaveAs - "
                                 "ButtonSettings - ButtonExit");
    QTest::newRow("Геометрия") << "MenuGeometry"
                               << Words(
                                      "ButtonSortFaces ButtonCutEdge - ButtonDiscardCutEdge "
                                      "ButtonSelection - ButtonRemoveSortFaces ButtonRemoveCE "
                                      "ButtonRemoveSelect - ButtonTransformModel ButtonTolerances");
    QTest::newRow("Вид") << "MenuView"
                         << (Words("ButtonRotate ButtonPan ButtonZoom ButtonRotateZ - "
                                   "ButtonViewShaded ButtonViewKarkas")
                             << QStringLiteral("[Стандартные виды]")
                             << Words("- ButtonViewFaces ButtonViewCutEdge ButtonViewCS "
                                      "ButtonViewFeedPlan ButtonColourMap - ButtonSaveImage"));
    QTest::newRow("Стандартные виды")
        << "MenuStandardViews"
        << Words(
               "ButtonViewFront ButtonViewBack ButtonViewLeft ButtonViewRight ButtonViewTop "
               "ButtonViewBottom - ButtonViewIso");
    QTest::newRow("Окно") << "MenuWindow" << Words("ButtonTiled ButtonCascade -");
    QTest::newRow("Помощь") << "MenuHelp" << Words("ButtonHelp - ButtonAbout");
    QTest::newRow("Стандартная") << "ToolBarStandard"
                                 << Words(
                                        "ButtonNew ButtonOpen ButtonOpenSTL ButtonSave - "
                                        "ButtonSettings");
    QTest::newRow("toolbar Геометрия")
        << "ToolBarGeometry"
        << Words(
               "ButtonSortFaces ButtonCutEdge - ButtonDiscardCutEdge ButtonSelection - "
               "ButtonRemoveSortFaces ButtonRemoveCE ButtonRemoveSelect");
    QTest::newRow("toolbar Вид")
        << "ToolBarView"
        << Words(
               "ButtonRotate ButtonPan ButtonZoom ButtonRotateZ - ButtonViewShaded "
               "ButtonViewKarkas - ButtonViewFront ButtonViewBack ButtonViewLeft ButtonViewRight "
               "ButtonViewTop ButtonViewBottom ButtonViewIso - ButtonViewFaces "
               "ButtonViewCutEdge ButtonViewCS ButtonViewFeedPlan");
}

void TCommandStatesTest::MenusAndToolbarsKeepTheirOrder() {
    QFETCH(QString, object);
    QFETCH(QStringList, items);
    QWidget* widget = Form->findChild<QWidget*>(object);
    QVERIFY2(widget != nullptr, qPrintable(object));
    QCOMPARE(Layout(widget->actions()), items);
}

void TCommandStatesTest::HintsAreCaptionsExceptThree() {
    const QHash<QString, QString> exceptions{
        {"ButtonOpen", "Открыть"},
        {"ButtonOpenSTL", "Открыть STL"},
        {"ButtonSaveAs", "Сохранить как"},
        {"ButtonSaveImage", "Сохранить изображение"},
        {"ButtonTransformModel", "Преобразовать модель"},
        {"ButtonTolerances", "Допуски"},
        {"ButtonColourMap", "Цветовая карта"},
    };
    QCOMPARE(Command("ButtonOpen")->text(), QStringLiteral("Открыть..."));
    QCOMPARE(Command("ButtonZoom")->text(), QStringLiteral("Увеличить/уменьшить"));
    for (const QString& name : kCommands) {
        QAction* action = Command(name);
        QCOMPARE(action->statusTip(), exceptions.value(name, action->text()));
    }

    // The hint shows in the first panel, as the mouse over a command sends it; the
    // gauge beside it stays visible.
    Command("ButtonOpenSTL")->showStatusText(Form.get());
    QCOMPARE(Form->StatusPanel(0).text(), QStringLiteral("Открыть STL"));
    QVERIFY(!Form->StatusPanel(1).isHidden());
    // During an operation the panel holds the operation's text.
    Form->Gauge().Start("Открытие файла >>", 1);
    Command("ButtonSave")->showStatusText(Form.get());
    QCOMPARE(Form->StatusPanel(0).text(), QStringLiteral("Открытие файла >>"));
    Form->Gauge().Finish();
    QVERIFY(Form->StatusPanel(0).text().isEmpty());
}

void TCommandStatesTest::TableHoldsEveryCommandWithItsShortcut() {
    // The table is what the window is made of: each entry is the action of its name
    // with its caption, and every command whose state a rule decides is checked above
    // ("Выход" alone has no rule).
    QStringList names;
    for (const tessarin::shell::TCommand& command : Form->Commands()) {
        QCOMPARE(Command(QString::fromLatin1(command.Name))->text(),
                 QString::fromUtf8(command.Caption));
        names.append(QString::fromLatin1(command.Name));
    }
    QCOMPARE(names.removeAll(QStringLiteral("ButtonExit")), 1);
    names.sort();
    QStringList checked = kCommands;
    checked.sort();
    QCOMPARE(names, checked);

    const QHash<QString, QKeySequence> shortcuts{
        {"ButtonNew", QKeySequence(QKeySequence::New)},
        {"ButtonOpen", QKeySequence(QKeySequence::Open)},
        {"ButtonSave", QKeySequence(QKeySequence::Save)},
        {"ButtonSaveAs", QKeySequence(QStringLiteral("Ctrl+Shift+S"))},
        {"ButtonExit", QKeySequence(QStringLiteral("Ctrl+Q"))},
        {"ButtonHelp", QKeySequence(QKeySequence::HelpContents)},
    };
    for (const tessarin::shell::TCommand& command : Form->Commands()) {
        const QString name = QString::fromLatin1(command.Name);
        QCOMPARE(Command(name)->shortcut(), shortcuts.value(name));
    }
    QCOMPARE(QKeySequence(QKeySequence::HelpContents), QKeySequence(Qt::Key_F1));
}

void TCommandStatesTest::MenusHaveAccessKeysAndF10() {
    QStringList titles;
    for (QAction* menu : Form->menuBar()->actions()) {
        titles << menu->text();
    }
    QCOMPARE(titles, (QStringList{"&Файл", "&Геометрия", "&Вид", "&Окно", "&Помощь"}));
    auto* f10 = Form->findChild<QShortcut*>(QStringLiteral("MenuBarKey"));
    QVERIFY(f10 != nullptr);
    QCOMPARE(f10->key(), QKeySequence(Qt::Key_F10));
    // What it does on a shown window: modal_focus_test.
}

void TCommandStatesTest::StatusBarShowsTheActiveDocument() {
    QVERIFY(Form->DocumentStatus().text().isEmpty());
    Reach(TState::Sorted);
    const TMDIChild* document = Form->ActiveDocument();
    const tessarin::model::TSurFaceData& data = document->Model.SurfaceData;
    QString text = Form->DocumentStatus().text();
    QVERIFY2(text.startsWith(QStringLiteral("Untitled1")), qPrintable(text));
    QVERIFY2(text.contains(QStringLiteral("Полигоны: %1 (передние %2, задние %3, прочие %4)")
                               .arg(data.PolygonCount)
                               .arg(data.FrontPolygons.size())
                               .arg(data.BackPolygons.size())
                               .arg(data.OtherPolygons.size())),
             qPrintable(text));
    Command("ButtonCutEdge")->trigger();
    text = Form->DocumentStatus().text();
    QVERIFY2(
        text.contains(
            QStringLiteral("Отрезки РК: %1").arg(Form->ActiveDocument()->Model.CutEdge.size())),
        qPrintable(text));
    QVERIFY2(text.contains(QStringLiteral("Строка: 1")), qPrintable(text));
    Form->ActiveDocument()->Data().ChooseRows(4, 8);
    QVERIFY2(Form->DocumentStatus().text().contains(QStringLiteral("Строки: 5..9 (5)")),
             qPrintable(Form->DocumentStatus().text()));

    // The hint of a command is gone once the command has run.
    Command("ButtonViewFront")->showStatusText(Form.get());
    QVERIFY(!Form->StatusPanel(0).text().isEmpty());
    Command("ButtonViewFront")->trigger();
    QVERIFY(Form->StatusPanel(0).text().isEmpty());
}

QTEST_MAIN(TCommandStatesTest)
#include "command_states_test.moc"
