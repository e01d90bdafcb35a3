// The side bar and the property list of a document window: groups and items, the
// conditions and warnings of each item, the compute sequence, the rows of the property
// list for each coordinate system, F1, and the analysis road on the bundled sample
// through the side bar, compared with the sample's project file.
#include <QtTest>

#include <QDialog>

#include <QAction>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTemporaryDir>
#include <QToolButton>

#include <memory>

#include "document/angle_chart.h"
#include "document/data_panel.h"
#include "document/data_table_model.h"
#include "document/data_tree.h"
#include "document/mdi_child.h"
#include "document/property_list.h"
#include "document/side_bar.h"
#include "model/model.h"
#include "project/project_reader.h"
#include "shell/main_window.h"
#include "tests/gui/support/find_child.h"
#include "tests/gui/support/memory_settings.h"
#include "tests/gui/support/scripted_dialogs.h"

using tessarin::document::TMDIChild;
using tessarin::document::TPropertyRows;
using tessarin::document::TSideBar;
using tessarin::shell::TMainForm;
using tessarin::test::TDialogKind;
using tessarin::test::TMemorySettings;
using tessarin::test::TScriptedDialogs;
namespace model = tessarin::model;

using TKinds = std::vector<int>;
using TRows = QList<QPair<QString, QString>>;
Q_DECLARE_METATYPE(TRows)

namespace {

// The tree's node kinds without the derived angles' and the edge nodes
// (derived_panel_test checks those).
std::vector<int> StoredKinds(const tessarin::document::TDataTree& tree) {
    std::vector<int> kinds;
    for (const int kind : tree.NodeKinds()) {
        if (!tessarin::document::IsExtraCode(kind)) {
            kinds.push_back(kind);
        }
    }
    return kinds;
}

const QString kSampleStl = QStringLiteral(TESSARIN_SAMPLES "/cutter.stl");
const QString kSampleProject = QStringLiteral(TESSARIN_SAMPLES "/cutter.tsf");

TRows Rows(const TPropertyRows& rows) {
    TRows list;
    for (const auto& [name, value] : rows) {
        list.append({name, value});
    }
    return list;
}

}  // namespace

class TSideBarTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void GroupsAndItems();
    void OpeningAGroupChoosesTheSystem();
    void OpenGroupFollowsTheModelsSystem();
    void ItemConditions_data();
    void ItemConditions();
    void StaticAnglesFirstSelectTheStaticNode();
    void SampleRoadMatchesTheProjectFile();
    void PropertyRows_data();
    void PropertyRows();
    void F1OpensTheHelp();

private:
    QAction* Command(const char* name) const;
    TMDIChild* NewDocumentWithCutEdge();
    // The sample's static system and working plane, as the parameter panel accepts them.
    static void DefineStaticSystemAndPlane(model::TModel& m);

    std::unique_ptr<TScriptedDialogs> Dialogs;
    std::unique_ptr<TMemorySettings> Settings;
    std::unique_ptr<TMainForm> Form;
};

void TSideBarTest::init() {
    Dialogs = std::make_unique<TScriptedDialogs>();
    Settings = std::make_unique<TMemorySettings>();
    Form = std::make_unique<TMainForm>(*Dialogs, *Settings);
}

void TSideBarTest::cleanup() {
    QVERIFY2(Dialogs->Unscripted().isEmpty(), qPrintable(Dialogs->Unscripted().join("; ")));
    Form.reset();
    Settings.reset();
    Dialogs.reset();
}

QAction* TSideBarTest::Command(const char* name) const {
    return tessarin::test::FindChild<QAction>(*Form, name);
}

TMDIChild* TSideBarTest::NewDocumentWithCutEdge() {
    Command("ButtonNew")->trigger();
    Dialogs->ChooseFile(kSampleStl);
    Dialogs->CloseModal(QDialog::Accepted);  // "Параметры импорта"
    Command("ButtonOpenSTL")->trigger();
    Command("ButtonSortFaces")->trigger();
    Command("ButtonCutEdge")->trigger();
    Dialogs->Clear();
    TMDIChild* document = Form->ActiveDocument();
    if (document == nullptr || !document->Model.CutEdgeExist) {
        qFatal("the sample has no cutting edge");
    }
    return document;
}

void TSideBarTest::DefineStaticSystemAndPlane(model::TModel& m) {
    m.PreviewSSK(5.0, 30.0);
    QVERIFY(m.AcceptStaticSystem().Ok());
    m.WorkingCS.FeedPlan.HCE = 0;
    QVERIFY(m.PreviewFeedPlan(90.0).Ok());
    m.AcceptFeedPlan();
}

void TSideBarTest::GroupsAndItems() {
    TMDIChild* document = NewDocumentWithCutEdge();
    const TSideBar& bar = document->Bar();
    const QList<QStringList> items{
        {"Рассчитать углы"},
        {"Определить систему координат", "Определить рабочую плоскость", "Рассчитать углы"},
        {"Определить систему координат", "Рассчитать углы"},
        {"Определить систему координат", "Рассчитать углы"}};
    const QStringList groups{"Инструментальная СК", "Статическая СК", "Кинематическая СК",
                             "Динамическая СК"};
    for (int g = 0; g < TSideBar::kGroupCount; ++g) {
        auto* caption = bar.findChild<QPushButton*>(QStringLiteral("SideBarGroup%1").arg(g));
        QCOMPARE(caption->text(), groups[g]);
        QVERIFY(caption->font().underline());
        QStringList captions;
        for (int i = 0; i < bar.ItemCount(g); ++i) {
            captions << bar.ItemCaption(g, i);
            QCOMPARE(bar.Item(g, i)->iconSize(), QSize(48, 48));
            QVERIFY(!bar.Item(g, i)->icon().isNull());
        }
        QCOMPARE(captions, items[g]);
    }
    QCOMPARE(bar.ActiveGroup(), 0);
    QVERIFY(bar.GroupShown(0) && bar.GroupShown(1));
    QVERIFY(!bar.GroupShown(2) && !bar.GroupShown(3));
    QVERIFY(document->SideBarEnabled());
}

void TSideBarTest::OpeningAGroupChoosesTheSystem() {
    TMDIChild* document = NewDocumentWithCutEdge();
    TSideBar& bar = document->Bar();
    bar.findChild<QPushButton*>(QStringLiteral("SideBarGroup1"))->click();
    QCOMPARE(bar.ActiveGroup(), 1);
    QCOMPARE(document->Model.CurrentCS, model::kSSK);
    QCOMPARE(document->Properties().Rows().front().second, QStringLiteral("Не определено"));

    // The moving groups appear with the working plane and can be opened then.
    DefineStaticSystemAndPlane(document->Model);
    Form->UpdateCommandStates();
    QVERIFY(bar.GroupShown(2) && bar.GroupShown(3));
    bar.findChild<QPushButton*>(QStringLiteral("SideBarGroup3"))->click();
    QCOMPARE(document->Model.CurrentCS, model::kDSK);
    QCOMPARE(document->Properties().Rows().front().first,
             QStringLiteral("Нормаль секущей плоскости"));
    // Hidden again (the working plane gone), the open group hands over to the first.
    document->Model.ExistedCS[model::kExistedFeedPlan] = false;
    Form->UpdateCommandStates();
    QCOMPARE(bar.ActiveGroup(), 0);
    QCOMPARE(document->Model.CurrentCS, model::kISK);
}

void TSideBarTest::OpenGroupFollowsTheModelsSystem() {
    TMDIChild* document = NewDocumentWithCutEdge();
    TSideBar& bar = document->Bar();
    DefineStaticSystemAndPlane(document->Model);
    Form->UpdateCommandStates();
    bar.SetActiveGroup(3);
    QCOMPARE(document->Model.CurrentCS, model::kDSK);

    // A project reopens on the group of the system it was saved with.
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QString path = folder.filePath(QStringLiteral("dynamic.tsf"));
    QVERIFY(document->SaveToProject(path).Ok());
    Dialogs->ChooseFile(path);
    Command("ButtonOpen")->trigger();
    TMDIChild* reopened = Form->ActiveDocument();
    QVERIFY(reopened != nullptr && reopened != document);
    QCOMPARE(reopened->Model.CurrentCS, model::kDSK);
    QVERIFY(reopened->SideBarGroupShown(3));
    QCOMPARE(reopened->Bar().ActiveGroup(), 3);

    // Removing the cutting edge takes the model back to the tool system; the side bar
    // must not stay on the static group, whose caption would then open nothing.
    bar.SetActiveGroup(1);
    QCOMPARE(document->Model.CurrentCS, model::kSSK);
    Form->findChild<QMdiArea*>()->setActiveSubWindow(
        qobject_cast<QMdiSubWindow*>(document->parentWidget()));
    QCOMPARE(Form->ActiveDocument(), document);
    Dialogs->Answer({tessarin::shell::TAnswer::Yes});
    Command("ButtonRemoveCE")->trigger();
    QVERIFY(!document->Model.CutEdgeExist);
    QCOMPARE(document->Model.CurrentCS, model::kISK);
    Command("ButtonCutEdge")->trigger();
    QVERIFY(document->Model.CutEdgeExist);
    QCOMPARE(bar.ActiveGroup(), 0);
    bar.findChild<QPushButton*>(QStringLiteral("SideBarGroup1"))->click();
    QCOMPARE(document->Model.CurrentCS, model::kSSK);
    Dialogs->Clear();
}

void TSideBarTest::ItemConditions_data() {
    QTest::addColumn<int>("existed");  // bits: SSK 1, KSK 2, FeedPlan 8
    QTest::addColumn<int>("group");
    QTest::addColumn<int>("item");
    QTest::addColumn<QString>("warning");  // empty: the action runs
    QTest::addColumn<bool>("beep");
    QTest::addColumn<int>("panelMode");  // 0: none opened
    QTest::addColumn<int>("computed");   // system computed, -1 none
    QTest::newRow("ISK compute") << 0 << 0 << 0 << "" << false << 0 << 0;
    QTest::newRow("SSK define") << 0 << 1 << 0 << "" << false << 1 << -1;
    QTest::newRow("plane without SSK")
        << 0 << 1 << 1 << "Не определена статичекая основная плоскость" << true << 0 << -1;
    QTest::newRow("plane") << 1 << 1 << 1 << "" << false << 4 << -1;
    QTest::newRow("SSK compute without anything")
        << 0 << 1 << 2 << "Не определена основная плоскость" << false << 0 << -1;
    QTest::newRow("SSK compute without plane")
        << 1 << 1 << 2 << "Не определена рабочая плоскость" << false << 0 << -1;
    QTest::newRow("SSK compute") << 9 << 1 << 2 << "" << false << 0 << 1;
    QTest::newRow("KSK define without SSK or plane")
        << 0 << 2 << 0 << "Не определена статичекая система координат" << true << 0 << -1;
    QTest::newRow("KSK define on SSK") << 1 << 2 << 0 << "" << false << 2 << -1;
    QTest::newRow("KSK define on the plane") << 8 << 2 << 0 << "" << false << 2 << -1;
    QTest::newRow("KSK compute without KSK")
        << 9 << 2 << 1 << "Не определена кинематическая система координат" << false << 0 << -1;
    QTest::newRow("KSK compute") << 11 << 2 << 1 << "" << false << 0 << 2;
    QTest::newRow("DSK define without SSK or plane")
        << 0 << 3 << 0 << "Не определена статичекая система координат" << true << 0 << -1;
    QTest::newRow("DSK define") << 9 << 3 << 0 << "" << false << 3 << -1;
    QTest::newRow("DSK compute tests the kinematic system")
        << 13 << 3 << 1 << "Не определена кинематическая система координат" << false << 0 << -1;
    QTest::newRow("DSK compute") << 11 << 3 << 1 << "" << false << 0 << 3;
}

void TSideBarTest::ItemConditions() {
    QFETCH(int, existed);
    QFETCH(int, group);
    QFETCH(int, item);
    QFETCH(QString, warning);
    QFETCH(bool, beep);
    QFETCH(int, panelMode);
    QFETCH(int, computed);
    // The sample project has every system defined; the flags then say which count.
    Form->OpenProjectDocument(kSampleProject);
    TMDIChild* document = Form->ActiveDocument();
    QVERIFY(document != nullptr);
    model::TModel& m = document->Model;
    m.ExistedCS = {(existed & 1) != 0, (existed & 2) != 0, (existed & 4) != 0, (existed & 8) != 0};
    m.DefinedAngles = {};
    document->BuildDataTree();
    Form->UpdateCommandStates();
    Dialogs->Clear();

    document->Bar().Item(group, item)->click();

    QCOMPARE(Dialogs->Transcript(),
             warning.isEmpty() ? QStringList{} : QStringList{"Warning: " + warning});
    QCOMPARE(!Dialogs->Records().isEmpty() && Dialogs->Records().front().Kind == TDialogKind::Beep,
             beep);
    QCOMPARE(Form->ManagePanelMode(), panelMode);
    for (int s = 0; s < 4; ++s) {
        QCOMPARE(m.DefinedAngles[static_cast<std::size_t>(s)], s == computed);
    }
    if (computed >= 0) {
        // The compute sequence: the tree rebuilt and the system's node chosen.
        const int kind = tessarin::document::SystemNodeKind(computed);
        QCOMPARE(document->Data().Tree().SelectedKinds(), TKinds{kind});
        QCOMPARE(document->Data().ShownColumns().size(), computed == 0 ? 5U : 6U);
    }
    // The property list follows every click: "Углы рассчитаны?" of the open system, then
    // the unit and the axis of the import.
    const TPropertyRows shownRows = document->Properties().Rows();
    QCOMPARE(shownRows.at(shownRows.size() - 3).first, QStringLiteral("Углы рассчитаны?"));
}

void TSideBarTest::StaticAnglesFirstSelectTheStaticNode() {
    TMDIChild* document = NewDocumentWithCutEdge();
    DefineStaticSystemAndPlane(document->Model);
    Form->UpdateCommandStates();
    document->Bar().Item(1, 2)->click();
    const tessarin::document::TDataPanel& panel = document->Data();
    QCOMPARE(StoredKinds(panel.Tree()), (TKinds{1, 6, 7, 8, 9, 10}));
    QCOMPARE(panel.Tree().SelectedKinds(), TKinds{6});
    QCOMPARE(panel.ShownColumns(), (TKinds{1, 2, 6, 7, 8, 9}));
    QVERIFY(!document->Model.DefinedAngles[model::kISK]);
    QVERIFY(Dialogs->Transcript().isEmpty());
}

void TSideBarTest::SampleRoadMatchesTheProjectFile() {
    TMDIChild* document = NewDocumentWithCutEdge();
    const model::TModel& m = document->Model;
    document->Bar().Item(0, 0)->click();
    DefineStaticSystemAndPlane(document->Model);
    Form->UpdateCommandStates();
    document->Bar().Item(1, 2)->click();
    QVERIFY(Dialogs->Transcript().isEmpty());
    QVERIFY(m.DefinedAngles[model::kISK] && m.DefinedAngles[model::kSSK]);
    QCOMPARE(StoredKinds(document->Data().Tree()), (TKinds{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));

    model::TModel saved(m.DecimalSeparator);
    std::string stlName;
    QVERIFY(tessarin::project::LoadProject(saved, kSampleProject.toStdString(), stlName).Ok());
    QCOMPARE(m.SegmentCount, saved.SegmentCount);

    // The static node shows columns 1, 2, 6..9 with the file's texts, the chart its lines.
    const tessarin::document::TDataPanel& panel = document->Data();
    QCOMPARE(panel.ShownColumns(), (TKinds{1, 2, 6, 7, 8, 9}));
    for (int c = 0; c < 6; ++c) {
        const int k = panel.ShownColumns()[static_cast<std::size_t>(c)];
        for (int row = 0; row < m.SegmentCount; ++row) {
            QCOMPARE(panel.TableModel().CellText(row, c),
                     QString::fromStdString(saved.Columns[k][static_cast<std::size_t>(row + 1)]));
        }
    }
    for (int k = 3; k <= 9; ++k) {
        QCOMPARE(m.Columns[k], saved.Columns[k]);
        QCOMPARE(m.Series(k).GetPoints(), saved.Series(k).GetPoints());
        QCOMPARE(m.MarkedCells[static_cast<std::size_t>(k - 3)],
                 saved.MarkedCells[static_cast<std::size_t>(k - 3)]);
    }
    QCOMPARE(panel.Chart().ShownLines().size(), 4);

    // The property list of the static system, as the project file's values read.
    document->Bar().SetActiveGroup(1);
    const TPropertyRows rows = document->Properties().Rows();
    QCOMPARE(rows.size(), 9U);
    QCOMPARE(rows[1],
             (std::pair{QStringLiteral("Угол наиб. наклона СМП"), QStringLiteral("5,0000")}));
    QCOMPARE(rows[5], (std::pair{QStringLiteral("Номер отр. гл. РК"), QStringLiteral("0")}));
    QCOMPARE(rows[6], (std::pair{QStringLiteral("Углы рассчитаны?"), QStringLiteral("Да")}));
    QCOMPARE(rows[7], (std::pair{QStringLiteral("Единицы файла"), QStringLiteral("мм")}));
    QCOMPARE(rows[8], (std::pair{QStringLiteral("Ось инструмента в файле"), QStringLiteral("+Z")}));
}

void TSideBarTest::PropertyRows_data() {
    QTest::addColumn<int>("system");
    QTest::addColumn<int>("existed");  // bits: SSK 1, KSK 2, DSK 4, FeedPlan 8
    QTest::addColumn<int>("accuracy");
    QTest::addColumn<TRows>("rows");
    const QString normal = QStringLiteral("Нормаль осн.плоскости");
    const QString computed = QStringLiteral("Углы рассчитаны?");
    const QString undefined = QStringLiteral("Не определено");
    QTest::newRow("ISK") << 0 << 15 << 3 << TRows{{normal, "0; 0; 1"}, {computed, "Да"}};
    QTest::newRow("SSK undefined")
        << 1 << 0 << 2
        << TRows{{normal, undefined}, {"Нормаль рабочей плоскости", undefined}, {computed, "Нет"}};
    QTest::newRow("SSK with two decimals") << 1 << 1 << 2
                                           << TRows{{normal, "(0,00;0,00;1,00)"},
                                                    {"Угол наиб. наклона СМП", "0,00"},
                                                    {"Угол плоскости наиб. наклона", "0,00"},
                                                    {"Нормаль рабочей плоскости", undefined},
                                                    {computed, "Нет"}};
    QTest::newRow("SSK and working plane") << 1 << 9 << 1
                                           << TRows{{normal, "(0,0;0,0;1,0)"},
                                                    {"Угол наиб. наклона СМП", "0,0"},
                                                    {"Угол плоскости наиб. наклона", "0,0"},
                                                    {"Нормаль рабочей плоскости", "(-0,5;0,9;0,0)"},
                                                    {"Главный угол в плане", "62,5"},
                                                    {"Номер отр. гл. РК", "7"},
                                                    {computed, "Нет"}};
    QTest::newRow("KSK undefined") << 2 << 9 << 2 << TRows{{normal, undefined}, {computed, "Нет"}};
    QTest::newRow("KSK") << 2 << 2 << 0
                         << TRows{{normal, "(0;1;2)"},
                                  {"Угол скорости резания", "-3"},
                                  {computed, "Нет"}};
    QTest::newRow("DSK undefined")
        << 3 << 0 << 2 << TRows{{"Нормаль секущей плоскости", undefined}, {computed, "Нет"}};
    QTest::newRow("DSK") << 3 << 4 << 2
                         << TRows{{"Нормаль секущей плоскости", "(0,71;0,71;0,00)"},
                                  {"Угол схода стружки", "45,00"},
                                  {computed, "Нет"}};
}

void TSideBarTest::PropertyRows() {
    QFETCH(int, system);
    QFETCH(int, existed);
    QFETCH(int, accuracy);
    QFETCH(TRows, rows);
    Command("ButtonNew")->trigger();
    TMDIChild* document = Form->ActiveDocument();
    model::TModel& m = document->Model;
    m.SurfaceData.GeometrySettings.TableAccuracy = accuracy;
    m.CurrentCS = static_cast<std::uint8_t>(system);
    m.ExistedCS = {(existed & 1) != 0, (existed & 2) != 0, (existed & 4) != 0, (existed & 8) != 0};
    m.DefinedAngles = {system == 0, false, false, false};
    m.AcceptedCS.FeedPlan.FP = {-0.5, 0.866, 0.0};
    m.AcceptedCS.FeedPlan.Phi = 62.5;
    m.AcceptedCS.FeedPlan.HCE = 7;
    m.AcceptedCS.KSK.OP = {0.0, 1.0, 2.0};
    m.AcceptedCS.KSK.Eta = -3.0;
    m.AcceptedCS.DSK.SP = {0.7071, 0.7071, 0.0};
    document->FillPropertyList();
    QCOMPARE(Rows(document->Properties().Rows()), rows);
}

void TSideBarTest::F1OpensTheHelp() {
    QTemporaryDir empty;
    Form->SetHelpFolder(empty.path());
    TMDIChild* document = NewDocumentWithCutEdge();
    QTest::keyClick(&document->Data().Table(), Qt::Key_F1);
    QCOMPARE(Dialogs->Transcript(), QStringList{"Error: Не найден файл справки"});
    // Other keys do nothing here.
    QTest::keyClick(&document->Data().Table(), Qt::Key_F2);
    QCOMPARE(Dialogs->Transcript().size(), 1);
}

QTEST_MAIN(TSideBarTest)
#include "side_bar_test.moc"
