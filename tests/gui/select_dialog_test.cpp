// The selection dialog on its own (preparation, the query it builds, the ways it closes
// and the refusal of a malformed text) and through the main window's "Выборка" command
// on the bundled sample: texts kept across documents, an empty result keeping the old
// selection, and a selection made through the dialog equal to the batch tool's.
#include <QtTest>

#include <QDialog>

#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QToolButton>
#include <QTreeWidget>

#include <memory>

#include "document/angle_chart.h"
#include "document/data_panel.h"
#include "document/data_table_model.h"
#include "document/data_tree.h"
#include "document/mdi_child.h"
#include "document/side_bar.h"
#include "model/model.h"
#include "shell/float_edit.h"
#include "shell/main_window.h"
#include "shell/manage_panel.h"
#include "shell/select_dialog.h"
#include "tests/gui/support/find_child.h"
#include "tests/gui/support/memory_settings.h"
#include "tests/gui/support/scripted_dialogs.h"

using tessarin::document::TDataPanel;
using tessarin::document::TMDIChild;
using tessarin::model::TSelectDlgInqury;
using tessarin::shell::TAnswer;
using tessarin::shell::TMainForm;
using tessarin::shell::TSelectDlg;
using tessarin::test::TDialogKind;
using tessarin::test::TMemorySettings;
using tessarin::test::TScriptedDialogs;

namespace {

const QString kSample = QStringLiteral(TESSARIN_SAMPLES "/cutter.stl");
constexpr std::array<bool, 4> kAllDefined{true, true, true, true};

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The texts of the query columns, as "column=text" for the non-empty ones.
using TTexts = QMap<int, QString>;

}  // namespace

class TSelectDialogTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void LayoutAndCaptions();
    void SearchChoiceFollowsTheSelection();
    void RowsOfUncomputedSystemsAreReadOnly();
    void BuildQuery_data();
    void BuildQuery();
    void RangeCellsLookLikeFields();
    void TextBeingEditedCounts();
    void OkWithEverythingEmpty();
    void ResetEmptiesAndClosesWithoutSelection();
    void MalformedTextIsRefusedThenCancelled();
    void TextsAreKeptAcrossDocuments();
    void EmptyResultKeepsTheSelection();
    void SelectionMatchesTheBatchTool_data();
    void SelectionMatchesTheBatchTool();
    void DerivedRowsReachTheQuery();
    void DerivedRangeSelectsThroughTheCommand();

private:
    TMDIChild* AnalyseSample(bool withStaticSystem);
    QAction* Command(const char* name) const;
    // Queues the dialog's next showing: texts typed, the logic chosen, OK clicked.
    void ScriptSelection(const TTexts& texts, bool orLogic = false);
    int Count(TDialogKind kind) const;

    std::unique_ptr<QTemporaryDir> Folder;
    std::unique_ptr<TScriptedDialogs> Dialogs;
    std::unique_ptr<TMemorySettings> Settings;
    std::unique_ptr<TMainForm> Form;
    std::unique_ptr<TSelectDlg> Dialog;  // a dialog of its own for the dialog's cases
};

void TSelectDialogTest::init() {
    Folder = std::make_unique<QTemporaryDir>();
    Dialogs = std::make_unique<TScriptedDialogs>();
    Settings = std::make_unique<TMemorySettings>();
    Form = std::make_unique<TMainForm>(*Dialogs, *Settings);
    Dialog = std::make_unique<TSelectDlg>(*Dialogs);
}

void TSelectDialogTest::cleanup() {
    QVERIFY2(Dialogs->Unscripted().isEmpty(), qPrintable(Dialogs->Unscripted().join("; ")));
    Dialog.reset();
    Form.reset();
    Settings.reset();
    Dialogs.reset();
    Folder.reset();
}

int TSelectDialogTest::Count(TDialogKind kind) const {
    int count = 0;
    for (const auto& record : Dialogs->Records()) {
        count += record.Kind == kind ? 1 : 0;
    }
    return count;
}

QAction* TSelectDialogTest::Command(const char* name) const {
    return tessarin::test::FindChild<QAction>(*Form, name);
}

TMDIChild* TSelectDialogTest::AnalyseSample(bool withStaticSystem) {
    Command("ButtonNew")->trigger();
    Dialogs->ChooseFile(kSample);
    Dialogs->CloseModal(QDialog::Accepted);  // "Параметры импорта"
    Command("ButtonOpenSTL")->trigger();
    Command("ButtonSortFaces")->trigger();
    Command("ButtonCutEdge")->trigger();
    TMDIChild* document = Form->ActiveDocument();
    if (document == nullptr || !document->Model.CutEdgeExist) {
        qFatal("the sample has no cutting edge");
    }
    if (withStaticSystem) {
        // GN 10 and Mu 30 typed into the parameter panel the side bar opens, and accepted.
        document->Bar().Item(1, 0)->click();
        for (auto [edit, text] : {std::pair{Form->ManagePanel().FirstEdit, "10"},
                                  std::pair{Form->ManagePanel().SecondEdit, "30"}}) {
            edit->Field().selectAll();
            QTest::keyClick(&edit->Field(), Qt::Key_Backspace);
            QTest::keyClicks(&edit->Field(), QString::fromLatin1(text));
        }
        Form->ManagePanel().GroupBox().findChild<QToolButton*>("SpeedButtonOK")->click();
        // "Рассчитать углы" of the tool and the static system.
        document->Bar().Item(0, 0)->click();
        document->Bar().Item(1, 2)->click();
        if (!document->Model.DefinedAngles[tessarin::model::kSSK]) {
            qFatal("the side bar computed no angles");
        }
    }
    return document;
}

void TSelectDialogTest::ScriptSelection(const TTexts& texts, bool orLogic) {
    Dialogs->WorkModal([texts, orLogic](QDialog& shown) {
        auto& dialog = static_cast<TSelectDlg&>(shown);
        dialog.show();
        for (int column = 0; column < tessarin::model::kQueryColumnCount; ++column) {
            dialog.SetText(column, texts.value(column));
        }
        dialog.Logic(orLogic ? 1 : 0).click();
        dialog.OKButton().click();
        return dialog.result();
    });
}

void TSelectDialogTest::LayoutAndCaptions() {
    QCOMPARE(Dialog->windowTitle(), QStringLiteral("Выборка"));
    QCOMPARE(Dialog->size(), QSize(624, 469));
    QTreeWidget& inspector = Dialog->Inspector();
    QCOMPARE(inspector.columnWidth(0), 152);
    QCOMPARE(inspector.palette().color(QPalette::Base), QColor(166, 202, 240));
    QStringList categories;
    QStringList rows;
    for (int i = 0; i < inspector.topLevelItemCount(); ++i) {
        QTreeWidgetItem* category = inspector.topLevelItem(i);
        categories << category->text(0);
        for (int j = 0; j < category->childCount(); ++j) {
            // The derived angles' rows (DerivedRowsReachTheQuery) come after these.
            if (Dialog->DerivedRowIndex(category->child(j)) < 0) {
                rows << category->child(j)->text(0);
            }
        }
    }
    QCOMPARE(categories, (QStringList{"Инструментальная СК", "Статическая СК", "Кинематическая СК",
                                      "Динамическая СК"}));
    QCOMPARE(rows.size(), 15);
    QCOMPARE(rows.mid(0, 3), (QStringList{"Передний угол", "Задний угол", "Угол наклона РК"}));
    for (int first : {3, 7, 11}) {
        QCOMPARE(rows.mid(first, 4),
                 (QStringList{"Передний угол", "Задний угол", "Угол наклона РК", "Угол в плане"}));
    }
    // Row k of the inspector is query column k.
    QCOMPARE(&Dialog->Row(7), inspector.topLevelItem(2)->child(0));

    auto* note = Dialog->findChild<QLabel*>("Note");
    QVERIFY(note != nullptr);
    QCOMPARE(note->text(), QStringLiteral("   Введите в поля диапазоны поиска значений \n"
                                          "углов через две точки, например:\n"
                                          "  \"-3,4..9,067 \" или \"0..-5,8; -7..-9,6; 3,2..10\""));
    QCOMPARE(Dialog->FindIn(0).text(), QStringLiteral("во всей режущей кромке"));
    QCOMPARE(Dialog->FindIn(1).text(), QStringLiteral("в текущей выборке"));
    QCOMPARE(Dialog->Logic(0).text(), QStringLiteral("И"));
    QCOMPARE(Dialog->Logic(1).text(), QStringLiteral("ИЛИ"));
    QVERIFY(Dialog->Logic(0).isChecked());
    QCOMPARE(Dialog->findChild<QGroupBox*>("RGFindIn")->title(), QStringLiteral("Искать"));
    QCOMPARE(Dialog->findChild<QGroupBox*>("RGLogic")->title(), QStringLiteral("Логика поиска"));
    QCOMPARE(Dialog->ResetButton().text(), QStringLiteral("Обнулить"));
    QCOMPARE(Dialog->OKButton().text(), QStringLiteral("OK"));
    QCOMPARE(Dialog->CancelButton().text(), QStringLiteral("Отмена"));
}

void TSelectDialogTest::SearchChoiceFollowsTheSelection() {
    Dialog->Prepare(false, kAllDefined);
    QVERIFY(Dialog->FindIn(0).isChecked());
    QVERIFY(!Dialog->FindIn(1).isEnabled());
    Dialog->SetText(0, "0..10");
    Dialog->show();
    Dialog->OKButton().click();
    QVERIFY(Dialog->Query.WholeEdge);

    Dialog->Prepare(true, kAllDefined);
    QVERIFY(Dialog->FindIn(1).isChecked());
    QVERIFY(Dialog->FindIn(1).isEnabled());
    Dialog->show();
    Dialog->OKButton().click();
    QVERIFY(!Dialog->Query.WholeEdge);
    // The user may still search the whole edge.
    Dialog->Prepare(true, kAllDefined);
    Dialog->show();
    Dialog->FindIn(0).click();
    Dialog->OKButton().click();
    QVERIFY(Dialog->Query.WholeEdge);
}

void TSelectDialogTest::RowsOfUncomputedSystemsAreReadOnly() {
    for (int column = 0; column < 15; ++column) {
        Dialog->SetText(column, QStringLiteral("%1..%2").arg(column).arg(column + 1));
    }
    Dialog->Prepare(false, {true, false, true, false});
    for (int column = 0; column < 15; ++column) {
        const bool defined = column < 3 || (column >= 7 && column < 11);
        QCOMPARE(Dialog->RowEditable(column), defined);
        QCOMPARE(Dialog->Text(column).isEmpty(), !defined);
    }
    // Computed later: editable again, still empty.
    Dialog->Prepare(false, kAllDefined);
    QVERIFY(Dialog->RowEditable(3));
    QCOMPARE(Dialog->Text(3), QString());
    QCOMPARE(Dialog->Text(7), QStringLiteral("7..8"));
}

void TSelectDialogTest::BuildQuery_data() {
    QTest::addColumn<TTexts>("texts");
    QTest::addColumn<bool>("orLogic");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<bool>("allEmpty");
    QTest::addColumn<QList<int>>("used");
    QTest::addColumn<int>("rangesOfFirstUsed");

    QTest::newRow("all empty") << TTexts{} << false << true << true << QList<int>{} << 0;
    QTest::newRow("two columns, OR")
        << TTexts{{3, "-3,4..9,067 "}, {14, "0..-5,8; -7..-9,6; 3,2..10"}} << true << true << false
        << QList<int>{3, 14} << 1;
    QTest::newRow("blanks are not empty")
        << TTexts{{0, "  "}} << false << false << false << QList<int>{} << 0;
    QTest::newRow("a trailing semicolon")
        << TTexts{{1, "1..2;"}} << false << false << false << QList<int>{} << 0;
    QTest::newRow("the point is no separator here")
        << TTexts{{1, "1.5..2"}} << false << false << false << QList<int>{} << 0;
}

void TSelectDialogTest::BuildQuery() {
    QFETCH(TTexts, texts);
    QFETCH(bool, orLogic);
    QFETCH(bool, valid);
    QFETCH(bool, allEmpty);
    QFETCH(QList<int>, used);
    QFETCH(int, rangesOfFirstUsed);

    Dialog->Prepare(false, kAllDefined);
    for (auto it = texts.begin(); it != texts.end(); ++it) {
        Dialog->SetText(it.key(), it.value());
    }
    Dialog->Logic(orLogic ? 1 : 0).setChecked(true);
    TSelectDlgInqury query;
    Dialog->BuildQuery(query);
    QCOMPARE(query.Valid, valid);
    QCOMPARE(Dialog->AllEmpty, allEmpty);
    if (!valid) {
        return;
    }
    QList<int> usedColumns;
    for (int column = 0; column < 15; ++column) {
        if (query.Use.at(static_cast<std::size_t>(column))) {
            usedColumns << column;
        }
    }
    QCOMPARE(usedColumns, used);
    QCOMPARE(query.AndLogic, !orLogic);
    QVERIFY(query.WholeEdge);
    if (!used.isEmpty()) {
        const auto& ranges = tessarin::model::QueryColumn(query.Ranges, used.front());
        QCOMPARE(static_cast<int>(ranges.size()), rangesOfFirstUsed);
        QCOMPARE(ranges.front().Lo, -3.4);
        QCOMPARE(ranges.front().Hi, 9.067);
        QCOMPARE(tessarin::model::QueryColumn(query.Ranges, 14).size(), std::size_t{3});
    }
}

void TSelectDialogTest::RangeCellsLookLikeFields() {
    // The static system's angles are not computed: its rows take no text.
    Dialog->Prepare(false, {true, false, true, true});
    Dialog->show();
    QVERIFY(QTest::qWaitForWindowExposed(Dialog.get()));
    const auto inside = [&](int column) {
        // With the derived angles' rows the inspector scrolls: the row is brought into view.
        Dialog->Inspector().scrollToItem(&Dialog->Row(column));
        const QImage picture = Dialog->Inspector().viewport()->grab().toImage();
        const QRect cell = Dialog->Inspector().visualItemRect(&Dialog->Row(column));
        const int x = Dialog->Inspector().columnViewportPosition(1) + 6;
        return picture.pixelColor(
            x * picture.width() / Dialog->Inspector().viewport()->width(),
            cell.center().y() * picture.height() / Dialog->Inspector().viewport()->height());
    };
    // A field is white within the sky-blue inspector; a row that takes no text is not.
    QCOMPARE(inside(0), QColor(Qt::white));
    QCOMPARE(inside(14), QColor(Qt::white));
    QVERIFY(inside(3) != QColor(Qt::white));
}

void TSelectDialogTest::TextBeingEditedCounts() {
    Dialog->Prepare(false, kAllDefined);
    Dialog->show();
    Dialog->Inspector().editItem(&Dialog->Row(5), 1);
    auto* editor = Dialog->Inspector().viewport()->findChild<QLineEdit*>();
    QVERIFY(editor != nullptr);
    editor->setText(QStringLiteral("-1..1"));
    Dialog->OKButton().click();
    QVERIFY(Dialog->isHidden());
    QVERIFY(!Dialog->AllEmpty);
    QVERIFY(Dialog->Query.Use.at(5));
    QCOMPARE(Dialog->Text(5), QStringLiteral("-1..1"));
}

void TSelectDialogTest::OkWithEverythingEmpty() {
    Dialog->Prepare(false, kAllDefined);
    Dialog->show();
    Dialog->OKButton().click();
    QVERIFY(Dialog->isHidden());
    QCOMPARE(Dialog->result(), int(QDialog::Accepted));
    QVERIFY(Dialog->OKPressed);
    QVERIFY(Dialog->AllEmpty);
    QVERIFY(Dialog->Query.Valid);
    QVERIFY(Dialogs->Shown().isEmpty());
}

void TSelectDialogTest::ResetEmptiesAndClosesWithoutSelection() {
    Dialog->Prepare(false, kAllDefined);
    Dialog->SetText(0, "1..2");
    Dialog->SetText(14, "oops");
    Dialog->show();
    Dialog->ResetButton().click();
    QVERIFY(Dialog->isHidden());
    QCOMPARE(Dialog->result(), int(QDialog::Accepted));
    QVERIFY(!Dialog->OKPressed);
    QVERIFY(Dialog->AllEmpty);
    for (int column = 0; column < 15; ++column) {
        QCOMPARE(Dialog->Text(column), QString());
    }
}

void TSelectDialogTest::MalformedTextIsRefusedThenCancelled() {
    Dialog->Prepare(false, kAllDefined);
    Dialog->SetText(4, "1..2;");
    Dialog->show();
    Dialog->OKButton().click();
    QVERIFY(Dialog->isVisible());
    QVERIFY(!Dialog->OKPressed);
    QCOMPARE(Dialog->Text(4), QStringLiteral("1..2;"));
    QCOMPARE(Dialogs->Transcript(), QStringList{"Warning: Неверный формат"});
    // Under it the row, by its system and angle, and the text as typed.
    QCOMPARE(Dialogs->Shown().at(0).Detail,
             QStringLiteral("%1, %2: \"1..2;\"")
                 .arg(Dialog->Row(4).parent()->text(0), Dialog->Row(4).text(0)));
    QCOMPARE(Count(TDialogKind::Beep), 1);

    Dialog->CancelButton().click();
    QVERIFY(Dialog->isHidden());
    QCOMPARE(Dialog->result(), int(QDialog::Rejected));
    QCOMPARE(Dialogs->Transcript(), QStringList{"Warning: Неверный формат"});
    QVERIFY(!Dialog->Query.Valid);  // built and stored, not used

    // The window's close button and Escape raise no message either.
    Dialog->show();
    QTest::keyClick(Dialog.get(), Qt::Key_Escape);
    QVERIFY(Dialog->isHidden());
    QCOMPARE(Dialogs->Shown().size(), 1);
}

void TSelectDialogTest::TextsAreKeptAcrossDocuments() {
    TMDIChild* first = AnalyseSample(true);
    QVERIFY(Command("ButtonSelection")->isEnabled());
    ScriptSelection({{0, "-90..90"}, {3, "-5..5; 10..20"}}, true);
    Command("ButtonSelection")->trigger();
    QVERIFY(first->Model.SelectCutEdgeExist);

    TMDIChild* second = AnalyseSample(true);
    QVERIFY(second != first);
    QStringList offered;
    bool orChosen = false;
    bool wholeEdge = false;
    Dialogs->WorkModal([&](QDialog& shown) {
        auto& dialog = static_cast<TSelectDlg&>(shown);
        offered = {dialog.Text(0), dialog.Text(3)};
        orChosen = dialog.Logic(1).isChecked();
        wholeEdge = dialog.FindIn(0).isChecked() && !dialog.FindIn(1).isEnabled();
        return int(QDialog::Rejected);
    });
    Command("ButtonSelection")->trigger();
    QCOMPARE(offered, (QStringList{"-90..90", "-5..5; 10..20"}));
    QVERIFY(orChosen);
    QVERIFY(wholeEdge);  // the second document has no selection yet
    QVERIFY(!second->Model.SelectCutEdgeExist);
}

void TSelectDialogTest::EmptyResultKeepsTheSelection() {
    TMDIChild* document = AnalyseSample(true);
    ScriptSelection({{0, "0..90"}});
    Command("ButtonSelection")->trigger();
    QVERIFY(document->Model.SelectCutEdgeExist);
    const auto before = document->Model.SelectCutEdge;
    QVERIFY(!before.empty());
    QVERIFY(Command("ButtonRemoveSelect")->isEnabled());

    ScriptSelection({{0, "1000..2000"}});
    Command("ButtonSelection")->trigger();
    QCOMPARE(Dialogs->Transcript().last(),
             QStringLiteral("Warning: Отрезки, удовлетворяющие условиям выборки, не найдены"));
    QVERIFY(document->Model.SelectCutEdgeExist);
    QVERIFY(document->Model.SelectCutEdge == before);

    // "Обнулить" and an OK with nothing typed select nothing and say nothing.
    const int shown = static_cast<int>(Dialogs->Shown().size());
    ScriptSelection({});
    Command("ButtonSelection")->trigger();
    Dialogs->WorkModal([](QDialog& dialog) {
        dialog.show();
        static_cast<TSelectDlg&>(dialog).ResetButton().click();
        return dialog.result();
    });
    Command("ButtonSelection")->trigger();
    // The two showings of the dialog itself, and no message.
    QCOMPARE(static_cast<int>(Dialogs->Shown().size()), shown + 2);
    QCOMPARE(Dialogs->Shown().last().Kind, TDialogKind::Modal);
    QVERIFY(document->Model.SelectCutEdge == before);
}

void TSelectDialogTest::SelectionMatchesTheBatchTool_data() {
    QTest::addColumn<TTexts>("texts");
    QTest::addColumn<bool>("orLogic");
    QTest::addColumn<QStringList>("cliRanges");
    QTest::newRow("AND of ISK rake and SSK clearance")
        << TTexts{{0, "-90..0"}, {4, "0..30"}} << false
        << QStringList{"--range", "isk.g=-90..0", "--range", "ssk.a=0..30"};
    QTest::newRow("OR of two SSK ranges")
        << TTexts{{3, "-3,4..9,067 "}, {6, "0..-5,8; -7..-9,6; 3,2..10"}} << true
        << QStringList{"--range",        "ssk.g=-3,4..9,067 ",
                       "--range",        "ssk.f=0..-5,8; -7..-9,6; 3,2..10",
                       "--select-logic", "or"};
}

void TSelectDialogTest::SelectionMatchesTheBatchTool() {
    QFETCH(TTexts, texts);
    QFETCH(bool, orLogic);
    QFETCH(QStringList, cliRanges);

    TMDIChild* document = AnalyseSample(true);
    TDataPanel& data = document->Data();
    QVERIFY(!data.Chart().ShownLines().isEmpty());  // the static angles just computed
    ScriptSelection(texts, orLogic);
    Command("ButtonSelection")->trigger();
    QVERIFY(document->Model.SelectCutEdgeExist);
    QCOMPARE(Count(TDialogKind::Warning), 0);
    QCOMPARE(Count(TDialogKind::Error), 0);
    // Tree, table and chart now show the selection's first system; the chart has no
    // lines of the selection group.
    QVERIFY(document->ShowSelection);
    QCOMPARE(data.Tree().SelectedKinds(), std::vector<int>{22});
    const auto& selected = document->Model.SelectCutEdge;
    QCOMPARE(data.TableModel().rowCount(), static_cast<int>(selected.size()));
    QCOMPARE(data.TableModel().CellText(0, 0), QString::number(selected.front().Number));
    QVERIFY(data.Chart().ShownLines().isEmpty());

    const QString ours = Folder->filePath("gui.tsf");
    Dialogs->ChooseFile(ours);
    Command("ButtonSaveAs")->trigger();

    const QString theirs = Folder->filePath("cli.tsf");
    QProcess cli;
    cli.start(
        QStringLiteral(TESSARIN_CLI),
        QStringList{"analyze", kSample, "-o", theirs, "--decimal-separator", ",", "--stl-name",
                    document->StlFileName, "--ssk", "10,30", "--compute", "isk,ssk", "--quiet"} +
            cliRanges);
    QVERIFY(cli.waitForFinished(60000));
    QVERIFY2(cli.exitStatus() == QProcess::NormalExit && cli.exitCode() == 0,
             cli.readAllStandardError().constData());
    const QByteArray saved = ReadAll(ours);
    QVERIFY(!saved.isEmpty());
    if (saved != ReadAll(theirs)) {
        QFile::copy(ours, QDir::temp().filePath("select_gui.tsf"));
        QFile::copy(theirs, QDir::temp().filePath("select_cli.tsf"));
        QFAIL("the program's project differs from the batch tool's (copies in the temp folder)");
    }
}

void TSelectDialogTest::DerivedRowsReachTheQuery() {
    namespace model = tessarin::model;
    // Every derived kind of each system, under the system after its own rows.
    QCOMPARE(Dialog->DerivedRowCount(), 4 + 3 * 9);
    int previousSystem = -1;
    int previousKind = -1;
    for (int i = 0; i < Dialog->DerivedRowCount(); ++i) {
        const model::TAngleId id = Dialog->DerivedRowAngle(i);
        QVERIFY(model::AngleDefined(id.System, id.Kind) && !model::StoredAngle(id));
        QVERIFY(id.System > previousSystem ||
                (id.System == previousSystem && id.Kind > previousKind));
        previousSystem = id.System;
        previousKind = id.Kind;
        QTreeWidgetItem& row = Dialog->DerivedRow(i);
        QCOMPARE(row.parent(), Dialog->Inspector().topLevelItem(id.System));
        QVERIFY(row.parent()->indexOfChild(&row) >=
                tessarin::model::SystemInfo(id.System).AngleCount);
        QCOMPARE(row.text(0), QString::fromUtf8(model::AngleKindInfo(id.Kind).Caption));
    }
    const auto rowOf = [this](int system, int kind) {
        for (int i = 0; i < Dialog->DerivedRowCount(); ++i) {
            if (Dialog->DerivedRowAngle(i) == model::TAngleId{system, kind}) {
                return i;
            }
        }
        return -1;
    };
    const int ssGn = rowOf(model::kSSK, model::kKindGn);
    const int iskBo = rowOf(model::kISK, model::kKindBo);
    const int dskPsi = rowOf(model::kDSK, model::kKindPsi);

    // Only the computed systems' rows take a text.
    Dialog->DerivedRow(dskPsi).setText(1, QStringLiteral("1..2"));
    Dialog->Prepare(false, {true, true, false, false});
    QVERIFY((Dialog->DerivedRow(ssGn).flags() & Qt::ItemIsEditable) != 0);
    QVERIFY((Dialog->DerivedRow(dskPsi).flags() & Qt::ItemIsEditable) == 0);
    QVERIFY(Dialog->DerivedRow(dskPsi).text(1).isEmpty());

    // Derived texts alone make a query, after the 15 columns, in the rows' order.
    Dialog->DerivedRow(ssGn).setText(1, QStringLiteral("-5..0; 2,5..3"));
    Dialog->DerivedRow(iskBo).setText(1, QStringLiteral("60..80"));
    TSelectDlgInqury query;
    Dialog->BuildQuery(query);
    QVERIFY(query.Valid);
    QVERIFY(!Dialog->AllEmpty);
    QVERIFY(std::none_of(query.Use.begin(), query.Use.end(), [](bool used) { return used; }));
    QCOMPARE(query.Derived.size(), std::size_t{2});
    QCOMPARE(query.Derived[0].System, model::kISK);
    QCOMPARE(query.Derived[0].Kind, model::kKindBo);
    QCOMPARE(query.Derived[0].Ranges.size(), std::size_t{1});
    QCOMPARE(query.Derived[1].System, model::kSSK);
    QCOMPARE(query.Derived[1].Kind, model::kKindGn);
    QCOMPARE(query.Derived[1].Ranges.size(), std::size_t{2});
    QCOMPARE(query.Derived[1].Ranges[1].Lo, 2.5);

    // A malformed derived text is refused like any other, naming its row.
    Dialog->DerivedRow(iskBo).setText(1, QStringLiteral("60.."));
    Dialog->BuildQuery(query);
    QVERIFY(!query.Valid);
    QCOMPARE(Dialog->InvalidColumn, 15 + iskBo);
    Dialog->show();
    Dialog->OKButton().click();
    QVERIFY(Dialog->isVisible());
    QCOMPARE(Dialogs->Transcript(), QStringList{"Warning: Неверный формат"});
    QCOMPARE(Dialogs->Shown().at(0).Detail,
             QStringLiteral("Инструментальная СК, Угол заострения: \"60..\""));
    // "Обнулить" empties the derived rows too.
    Dialog->ResetButton().click();
    QVERIFY(Dialog->DerivedRow(ssGn).text(1).isEmpty());
    QVERIFY(Dialog->AllEmpty);
}

void TSelectDialogTest::DerivedRangeSelectsThroughTheCommand() {
    namespace model = tessarin::model;
    TMDIChild* document = AnalyseSample(true);
    const model::TAngleId gn{model::kSSK, model::kKindGn};
    // The segments whose normal rake angle is negative.
    std::size_t expected = 0;
    for (const model::TSegment& segment : document->Model.CutEdge) {
        const double value = model::AngleValue(segment, document->Model.AcceptedCS, gn);
        expected += value >= -90.0 && value <= 0.0 ? 1 : 0;
    }
    QVERIFY(expected > 0 && expected < document->Model.CutEdge.size());
    Dialogs->WorkModal([gn](QDialog& shown) {
        auto& dialog = static_cast<TSelectDlg&>(shown);
        dialog.show();
        for (int i = 0; i < dialog.DerivedRowCount(); ++i) {
            if (dialog.DerivedRowAngle(i) == gn) {
                dialog.DerivedRow(i).setText(1, QStringLiteral("-90..0"));
            }
        }
        dialog.OKButton().click();
        return dialog.result();
    });
    Command("ButtonSelection")->trigger();
    QVERIFY(document->Model.SelectCutEdgeExist);
    QCOMPARE(document->Model.SelectCutEdge.size(), expected);
}

QTEST_MAIN(TSelectDialogTest)
#include "select_dialog_test.moc"
