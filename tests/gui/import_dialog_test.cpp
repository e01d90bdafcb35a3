// The import dialog "Параметры импорта" and "Преобразовать модель...": the choices reach
// the model, "Отмена" changes nothing, the check's suggestions are one click away, the
// choices become the next import's defaults, a transformation asks before the analysis
// goes, and the property list and the status bar name the unit and the axis in use.
#include <QtTest>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>

#include <cmath>
#include <functional>
#include <memory>

#include "document/import_dialog.h"
#include "document/mdi_child.h"
#include "document/property_list.h"
#include "model/model.h"
#include "samples/sample_tool.h"
#include "shell/main_window.h"
#include "tests/gui/support/find_child.h"
#include "tests/gui/support/memory_settings.h"
#include "tests/gui/support/scripted_dialogs.h"

using tessarin::document::TImportDialog;
using tessarin::document::TMDIChild;
using tessarin::shell::TAnswer;
using tessarin::shell::TMainForm;
using tessarin::test::TMemorySettings;
using tessarin::test::TScriptedDialogs;
namespace model = tessarin::model;

namespace {

const QString kSample = QStringLiteral(TESSARIN_SAMPLES "/cutter.stl");
const QString kImportDialog = QStringLiteral("Modal: Параметры импорта");
const QString kTransformQuestion = QStringLiteral(
    "Question: Преобразование модели удалит сортировку поверхностей, режущую кромку, "
    "рассчитанные углы и выборку. Продолжить?");

// A tetrahedron whose largest extent is 3: millimetres would make it a 3 mm tool, so the
// check takes the numbers for inches.
const char* const kInchTetrahedron =
    "solid inch\n"
    "facet normal 0 0 -1\nouter loop\nvertex 0 0 0\nvertex 0 2 0\nvertex 3 0 0\n"
    "endloop\nendfacet\n"
    "facet normal 0 -1 0\nouter loop\nvertex 0 0 0\nvertex 3 0 0\nvertex 0 0 1\n"
    "endloop\nendfacet\n"
    "facet normal -1 0 0\nouter loop\nvertex 0 0 0\nvertex 0 0 1\nvertex 0 2 0\n"
    "endloop\nendfacet\n"
    "facet normal 0 0 0\nouter loop\nvertex 3 0 0\nvertex 0 2 0\nvertex 0 0 1\n"
    "endloop\nendfacet\n"
    "endsolid inch\n";

TImportDialog& ImportDialog(QDialog& dialog) {
    auto* import = qobject_cast<TImportDialog*>(&dialog);
    if (import == nullptr) {
        qFatal("the modal dialog is %s, not the import dialog", qPrintable(dialog.objectName()));
    }
    return *import;
}

template <typename T>
T& Child(QDialog& dialog, const char* name) {
    return *tessarin::test::FindChild<T>(dialog, name);
}

bool Near(double a, double b) {
    return std::abs(a - b) <= 1e-9 * (1.0 + std::abs(b));
}

}  // namespace

class TImportDialogTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void ChoicesReachTheModel();
    void SuggestionsAreOneClickAway();
    void CheckFollowsTheChoicesInTheBackground();
    void CancelChangesNothing();
    void NothingToImportKeepsTheModel_data();
    void NothingToImportKeepsTheModel();
    void ChoicesBecomeTheNextDefaults();
    void BadNumbersKeepOKDisabled();
    void TransformAsksAndClearsTheAnalysis();
    void TransformWithoutTheFileUsesTheStoredPolygons();
    void PropertyListAndStatusBarNameUnitAndAxis();
    void Picture();

private:
    QAction* Command(const char* name) const {
        return tessarin::test::FindChild<QAction>(*Form, name);
    }
    QString WriteFile(const QString& name, const QByteArray& bytes) const;
    // A file of the sample tool with its axis along +X of the file.
    QString ToolAlongX() const;
    // Imports `path` into a new document, the dialog worked by `work`.
    TMDIChild* Import(const QString& path, std::function<int(QDialog&)> work);
    TMDIChild* AnalysedSample();

    std::unique_ptr<QTemporaryDir> Folder;
    std::unique_ptr<TScriptedDialogs> Dialogs;
    std::unique_ptr<TMemorySettings> Settings;
    std::unique_ptr<TMainForm> Form;
};

void TImportDialogTest::init() {
    Folder = std::make_unique<QTemporaryDir>();
    QVERIFY(Folder->isValid());
    Dialogs = std::make_unique<TScriptedDialogs>();
    Settings = std::make_unique<TMemorySettings>();
    Form = std::make_unique<TMainForm>(*Dialogs, *Settings);
}

void TImportDialogTest::cleanup() {
    QVERIFY2(Dialogs->Unscripted().isEmpty(), qPrintable(Dialogs->Unscripted().join("; ")));
    for (const TMainForm::TDocumentSlot& slot : Form->Documents()) {
        if (slot.Alive()) {
            slot.Window->Model.SurfaceData.Modified = false;
        }
    }
    Form.reset();
    Settings.reset();
    Dialogs.reset();
    Folder.reset();
}

QString TImportDialogTest::WriteFile(const QString& name, const QByteArray& bytes) const {
    const QString path = Folder->filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
        qFatal("cannot write %s", qPrintable(path));
    }
    return path;
}

QString TImportDialogTest::ToolAlongX() const {
    // The turn of the axis +X takes (x, y, z) to (-z, y, x); the file holds its inverse.
    model::TSurface tool = tessarin::samples::GenerateSampleTool({});
    auto back = [](const model::TVector3& v) { return model::TVector3{v.z, v.y, -v.x}; };
    for (model::TPolygon& p : tool) {
        p.Vert1 = back(p.Vert1);
        p.Vert2 = back(p.Vert2);
        p.Vert3 = back(p.Vert3);
        p.Normal = back(p.Normal);
    }
    const QString path = Folder->filePath("along_x.stl");
    const model::TResult written = tessarin::samples::WriteStl(
        tool, tessarin::samples::TStlFormat::Binary, "along_x", path.toStdString());
    if (!written) {
        qFatal("%s", written.Reason().c_str());
    }
    return path;
}

TMDIChild* TImportDialogTest::Import(const QString& path, std::function<int(QDialog&)> work) {
    Command("ButtonNew")->trigger();
    Dialogs->ChooseFile(path);
    Dialogs->WorkModal(std::move(work));
    Command("ButtonOpenSTL")->trigger();
    return Form->ActiveDocument();
}

TMDIChild* TImportDialogTest::AnalysedSample() {
    TMDIChild* document = Import(kSample, [](QDialog& dialog) {
        dialog.accept();
        return dialog.result();
    });
    Command("ButtonSortFaces")->trigger();
    Command("ButtonCutEdge")->trigger();
    if (!document->Model.CutEdgeExist) {
        qFatal("the sample has no cutting edge");
    }
    return document;
}

void TImportDialogTest::ChoicesReachTheModel() {
    const QString path = WriteFile("inch.stl", kInchTetrahedron);
    QString summary;
    TMDIChild* document = Import(path, [&](QDialog& dialog) {
        Child<QComboBox>(dialog, "ComboUnit").setCurrentText(QStringLiteral("дюйм"));
        Child<QComboBox>(dialog, "ComboAxis").setCurrentText(QStringLiteral("\u2212Z"));
        ImportDialog(dialog).WaitForCheck();
        summary = ImportDialog(dialog).Summary();
        dialog.accept();
        return dialog.result();
    });
    QCOMPARE(Dialogs->Transcript(), (QStringList{"OpenFile: Открыть STL", kImportDialog}));
    // The summary is the check under the choices: inches, the half turn about X.
    QVERIFY2(summary.contains(QStringLiteral("Прочитано граней: 4")), qPrintable(summary));
    QVERIFY2(summary.contains(QStringLiteral(
                 "Габариты, мм: X 0,000 .. 76,2, Y -50,8 .. 0,000, Z -25,4 .. 0,000")),
             qPrintable(summary));
    QVERIFY2(summary.contains(QStringLiteral("Исправлено нормалей (нулевых, не чисел или не "
                                             "единичной длины): 1")),
             qPrintable(summary));

    const model::TSurFaceData& data = document->Model.SurfaceData;
    QVERIFY(data.SurfaceExist);
    QCOMPARE(data.PolygonCount, 4);
    QCOMPARE(data.ImportOptions.Unit, model::TLengthUnit::Inch);
    QCOMPARE(data.ImportOptions.Axis, (model::TVector3{0, 0, -1}));
    // (3, 0, 0) in inches; the half turn keeps x and negates y and z.
    const model::TPolygon& first = data.Polygons.front();
    QVERIFY(Near(first.Vert3.x, 3 * 25.4));
    QVERIFY(Near(first.Vert2.y, -2 * 25.4));
    QVERIFY(Near(data.Xmax, 76.2) && Near(data.Ymin, -50.8) && Near(data.Zmin, 0.0 - 25.4));
    QCOMPARE(document->StlFileName, path);
}

void TImportDialogTest::SuggestionsAreOneClickAway() {
    // The unit: the 3 mm tetrahedron is taken for inches.
    const QString inch = WriteFile("inch.stl", kInchTetrahedron);
    bool unitBefore = false;
    bool unitAfter = true;
    QString unitLabel;
    TMDIChild* document = Import(inch, [&](QDialog& dialog) {
        TImportDialog& import = ImportDialog(dialog);
        import.WaitForCheck();
        auto& apply = Child<QPushButton>(dialog, "ButtonApplyUnit");
        unitBefore = apply.isEnabled();
        unitLabel = Child<QLabel>(dialog, "LabelSuggestUnit").text();
        apply.click();
        import.WaitForCheck();
        unitAfter = apply.isEnabled();
        dialog.accept();
        return dialog.result();
    });
    QVERIFY(unitBefore);
    QCOMPARE(unitLabel, QStringLiteral("Предлагаемые единицы файла: дюйм"));
    QVERIFY(!unitAfter);  // nothing left to suggest
    QCOMPARE(document->Model.SurfaceData.ImportOptions.Unit, model::TLengthUnit::Inch);

    // The axis: the sample tool lying along X.
    const QString alongX = ToolAlongX();
    bool axisBefore = false;
    bool axisAfter = true;
    document = Import(alongX, [&](QDialog& dialog) {
        TImportDialog& import = ImportDialog(dialog);
        // The last import's inches are offered first.
        Child<QComboBox>(dialog, "ComboUnit").setCurrentText(QStringLiteral("мм"));
        import.WaitForCheck();
        auto& apply = Child<QPushButton>(dialog, "ButtonApplyAxis");
        axisBefore = apply.isEnabled();
        apply.click();
        import.WaitForCheck();
        axisAfter = apply.isEnabled();
        dialog.accept();
        return dialog.result();
    });
    QVERIFY(axisBefore);
    QVERIFY(!axisAfter);
    const model::TSurFaceData& data = document->Model.SurfaceData;
    const model::TVector3 axis = data.ImportOptions.Axis;
    QVERIFY2(std::abs(axis.x - 1.0) < 1e-6 && std::abs(axis.y) < 1e-6 && std::abs(axis.z) < 1e-6,
             qPrintable(QStringLiteral("%1 %2 %3").arg(axis.x).arg(axis.y).arg(axis.z)));
    // Turned back onto Z: the tool stands as generated (to the file's float precision).
    model::TSurFaceData generated;
    QVERIFY(generated.LoadSTLFromMemory(
        tessarin::samples::AsciiStlText(tessarin::samples::GenerateSampleTool({}), "tool"),
        "tool"));
    for (const auto& [a, b] : {std::pair{data.Xmin, generated.Xmin},
                               {data.Xmax, generated.Xmax},
                               {data.Ymin, generated.Ymin},
                               {data.Ymax, generated.Ymax},
                               {data.Zmin, generated.Zmin},
                               {data.Zmax, generated.Zmax}}) {
        QVERIFY2(std::abs(a - b) < 1e-3, qPrintable(QStringLiteral("%1 %2").arg(a).arg(b)));
    }
}

void TImportDialogTest::CheckFollowsTheChoicesInTheBackground() {
    QStringList seen;
    Import(WriteFile("inch.stl", kInchTetrahedron), [&](QDialog& dialog) {
        TImportDialog& import = ImportDialog(dialog);
        seen << import.Summary();
        // The window's own event loop brings the worker's result; no waiting by hand.
        (void)QTest::qWaitFor([&] { return import.Summary().contains(QStringLiteral("Габариты")); },
                              5000);
        seen << import.Summary();
        // Two changes in a row: the first one's check is abandoned, the second one's shown.
        Child<QComboBox>(dialog, "ComboUnit").setCurrentText(QStringLiteral("м"));
        Child<QComboBox>(dialog, "ComboUnit").setCurrentText(QStringLiteral("дюйм"));
        seen << import.Summary();
        (void)QTest::qWaitFor([&] { return import.Summary().contains(QStringLiteral("76,2")); },
                              5000);
        seen << import.Summary();
        dialog.reject();
        return dialog.result();
    });
    QCOMPARE(seen.size(), 4);
    QCOMPARE(seen[0], QStringLiteral("Проверка модели..."));
    QVERIFY2(seen[1].contains(QStringLiteral("X 0,000 .. 3,000")), qPrintable(seen[1]));
    QCOMPARE(seen[2], QStringLiteral("Проверка модели..."));
    QVERIFY2(seen[3].contains(QStringLiteral("X 0,000 .. 76,2")), qPrintable(seen[3]));
}

void TImportDialogTest::CancelChangesNothing() {
    TMDIChild* document = AnalysedSample();
    const model::TModel& m = document->Model;
    const model::TSurface polygons = m.SurfaceData.Polygons;
    const int segments = m.SegmentCount;
    const QString stl = document->StlFileName;
    const int writes = Settings->Writes;
    const model::TImportOptions defaults = Settings->Values.Import;
    Dialogs->Clear();

    // Yes to both questions, a file, then "Отмена" after changing every choice.
    Dialogs->Answer({TAnswer::Yes, TAnswer::Yes});
    Dialogs->ChooseFile(WriteFile("inch.stl", kInchTetrahedron));
    Dialogs->WorkModal([](QDialog& dialog) {
        Child<QComboBox>(dialog, "ComboUnit").setCurrentText(QStringLiteral("м"));
        Child<QRadioButton>(dialog, "RadioOriginCenter").setChecked(true);
        dialog.reject();
        return dialog.result();
    });
    Command("ButtonOpenSTL")->trigger();
    QCOMPARE(Dialogs->Transcript().last(), kImportDialog);
    QVERIFY(m.CutEdgeExist);
    QCOMPARE(m.SegmentCount, segments);
    QVERIFY(m.SurfaceData.Polygons == polygons);
    QCOMPARE(m.SurfaceData.ImportOptions, model::TImportOptions{});
    QCOMPARE(document->StlFileName, stl);
    QVERIFY(document->PanelsShown());
    QCOMPARE(Settings->Writes, writes);
    QCOMPARE(Settings->Values.Import, defaults);

    // A file opened into a new document (recent, dropped): cancelled, the document goes.
    const int open = Form->OpenDocumentCount();
    Dialogs->CloseModal(QDialog::Rejected);
    Form->OpenFiles({kSample});
    QCOMPARE(Form->OpenDocumentCount(), open);
    QCOMPARE(Form->ActiveDocument(), document);
}

void TImportDialogTest::NothingToImportKeepsTheModel_data() {
    QTest::addColumn<QString>("file");       // what the file dialog returns
    QTest::addColumn<QStringList>("after");  // what is shown after the two questions
    QTest::newRow("file dialog cancelled") << QString() << QStringList{"OpenFile: Открыть STL"};
    QTest::newRow("file that does not read")
        << QStringLiteral(TESSARIN_FIXTURES "/stl/bad_number_in_last_facet.stl")
        << QStringList{"OpenFile: Открыть STL", "Error: Ошибка при открытии файла"};
}

// The old geometry goes only when a new one takes its place.
void TImportDialogTest::NothingToImportKeepsTheModel() {
    QFETCH(QString, file);
    QFETCH(QStringList, after);
    TMDIChild* document = AnalysedSample();
    const int segments = document->Model.SegmentCount;
    Dialogs->Clear();
    Dialogs->Answer({TAnswer::Yes, TAnswer::Yes});
    Dialogs->ChooseFile(file);
    Command("ButtonOpenSTL")->trigger();
    QCOMPARE(Dialogs->Transcript().mid(2), after);
    QVERIFY(document->Model.CutEdgeExist);
    QCOMPARE(document->Model.SegmentCount, segments);
    QCOMPARE(document->StlFileName, kSample);
    QVERIFY(document->PanelsShown());
    QVERIFY(Command("ButtonRemoveCE")->isEnabled());
}

void TImportDialogTest::ChoicesBecomeTheNextDefaults() {
    Import(kSample, [](QDialog& dialog) {
        Child<QComboBox>(dialog, "ComboUnit").setCurrentText(QStringLiteral("мкм"));
        Child<QComboBox>(dialog, "ComboAxis").setCurrentText(QStringLiteral("вектор"));
        Child<QLineEdit>(dialog, "EditAxisX").setText(QStringLiteral("0,5"));
        Child<QLineEdit>(dialog, "EditAxisY").setText(QStringLiteral("0"));
        Child<QLineEdit>(dialog, "EditAxisZ").setText(QStringLiteral("2"));
        Child<QRadioButton>(dialog, "RadioOriginPoint").setChecked(true);
        Child<QLineEdit>(dialog, "EditOriginX").setText(QStringLiteral("1.5"));
        Child<QCheckBox>(dialog, "CheckKeepDuplicates").setChecked(true);
        Child<QCheckBox>(dialog, "CheckRepairNormals").setChecked(false);
        dialog.accept();
        return dialog.result();
    });
    model::TImportOptions expected;
    expected.Unit = model::TLengthUnit::Micrometre;
    expected.Axis = {0.5, 0.0, 2.0};
    expected.Origin = model::TOriginChoice::Point;
    expected.OriginPoint = {1.5, 0.0, 0.0};
    expected.KeepDuplicates = true;
    expected.RepairNormals = false;
    QCOMPARE(Settings->Values.Import, expected);
    QCOMPARE(Form->ActiveDocument()->Model.SurfaceData.ImportOptions, expected);

    // The next import starts from them.
    std::optional<model::TImportOptions> offered;
    Import(kSample, [&](QDialog& dialog) {
        offered = ImportDialog(dialog).Options();
        dialog.reject();
        return dialog.result();
    });
    QVERIFY(offered.has_value());
    QCOMPARE(*offered, expected);
}

void TImportDialogTest::BadNumbersKeepOKDisabled() {
    TMDIChild* document = Import(kSample, [](QDialog& dialog) {
        TImportDialog& import = ImportDialog(dialog);
        auto& ok = Child<QPushButton>(dialog, "ButtonOK");
        Child<QComboBox>(dialog, "ComboAxis").setCurrentText(QStringLiteral("вектор"));
        auto& x = Child<QLineEdit>(dialog, "EditAxisX");
        auto& z = Child<QLineEdit>(dialog, "EditAxisZ");
        z.setText(QStringLiteral("0"));
        x.setText(QStringLiteral("0"));
        if (ok.isEnabled() || !import.Summary().contains(QStringLiteral("не может быть нулевым"))) {
            return int(QDialog::Accepted);  // the test then sees a model imported
        }
        x.setText(QStringLiteral("1,,"));
        if (ok.isEnabled() || !x.styleSheet().contains(QStringLiteral("red"))) {
            return int(QDialog::Accepted);
        }
        x.setText(QStringLiteral("1"));
        import.WaitForCheck();
        if (!ok.isEnabled() || import.Options()->Axis != model::TVector3{1, 0, 0}) {
            return int(QDialog::Accepted);
        }
        dialog.reject();
        return dialog.result();
    });
    // Accepted only when one of the steps above went wrong.
    QVERIFY(!document->Model.SurfaceData.SurfaceExist);
}

void TImportDialogTest::TransformAsksAndClearsTheAnalysis() {
    TMDIChild* document = AnalysedSample();
    model::TModel& m = document->Model;
    const model::TSurface before = m.SurfaceData.Polygons;
    QVERIFY(Command("ButtonTransformModel")->isEnabled());
    auto turnOver = [](QDialog& dialog) {
        if (!Child<QLabel>(dialog, "LabelSource").text().startsWith(QStringLiteral("Файл: "))) {
            return int(QDialog::Rejected);  // the file is there and must be read again
        }
        Child<QComboBox>(dialog, "ComboAxis").setCurrentText(QStringLiteral("\u2212Z"));
        dialog.accept();
        return dialog.result();
    };

    // "Нет" to the question: nothing changes.
    Dialogs->Clear();
    Dialogs->WorkModal(turnOver);
    Dialogs->Answer({TAnswer::No});
    Command("ButtonTransformModel")->trigger();
    QCOMPARE(Dialogs->Transcript(), (QStringList{kImportDialog, kTransformQuestion}));
    QVERIFY(m.CutEdgeExist);
    QVERIFY(m.SurfaceData.Polygons == before);

    // "Да": the analysis goes and the model is imported anew from its file.
    Dialogs->Clear();
    Dialogs->WorkModal(turnOver);
    Dialogs->Answer({TAnswer::Yes});
    Command("ButtonTransformModel")->trigger();
    QVERIFY(m.SurfaceData.SurfaceExist);
    QVERIFY(!m.SurfaceData.SurfaceSorted);
    QVERIFY(!m.CutEdgeExist);
    QVERIFY(!m.SelectCutEdgeExist);
    QCOMPARE(m.SegmentCount, 0);
    QVERIFY(!document->PanelsShown());
    QVERIFY(!Command("ButtonCutEdge")->isEnabled());
    QCOMPARE(m.SurfaceData.ImportOptions.Axis, (model::TVector3{0, 0, -1}));
    QCOMPARE(document->StlFileName, kSample);
    // The half turn about X is exact: (x, y, z) -> (x, -y, -z).
    QCOMPARE(m.SurfaceData.Polygons.size(), before.size());
    const model::TPolygon& a = m.SurfaceData.Polygons[10];
    const model::TPolygon& b = before[10];
    QCOMPARE(a.Vert1, (model::TVector3{b.Vert1.x, -b.Vert1.y, -b.Vert1.z}));
    // A model without analysis is transformed without the question.
    Dialogs->Clear();
    Dialogs->WorkModal([](QDialog& dialog) {
        Child<QComboBox>(dialog, "ComboAxis").setCurrentText(QStringLiteral("+Z"));
        dialog.accept();
        return dialog.result();
    });
    Command("ButtonTransformModel")->trigger();
    QCOMPARE(Dialogs->Transcript(), QStringList{kImportDialog});
    QVERIFY(m.SurfaceData.Polygons == before);
}

void TImportDialogTest::TransformWithoutTheFileUsesTheStoredPolygons() {
    const QString copy = Folder->filePath("copy.stl");
    QVERIFY(QFile::copy(kSample, copy));
    TMDIChild* document = Import(copy, [](QDialog& dialog) {
        Child<QComboBox>(dialog, "ComboAxis").setCurrentText(QStringLiteral("\u2212Z"));
        dialog.accept();
        return dialog.result();
    });
    const model::TSurface turned = document->Model.SurfaceData.Polygons;
    QVERIFY(QFile::remove(copy));
    QVERIFY(document->StlFilePath().isEmpty());

    QString source;
    Dialogs->WorkModal([&](QDialog& dialog) {
        source = Child<QLabel>(dialog, "LabelSource").text();
        if (ImportDialog(dialog).Options()->Axis != model::TVector3{0, 0, -1}) {
            return int(QDialog::Rejected);  // it starts from the model's own options
        }
        Child<QComboBox>(dialog, "ComboAxis").setCurrentText(QStringLiteral("+Z"));
        dialog.accept();
        return dialog.result();
    });
    Command("ButtonTransformModel")->trigger();
    QVERIFY2(source.startsWith(QStringLiteral("Файл модели недоступен")), qPrintable(source));
    // The stored polygons, turned back: the model as the file held it, bit for bit (the
    // half turn only changes signs), the file's name kept.
    model::TSurFaceData original;
    QVERIFY(original.LoadSTL(kSample.toStdString()));
    QVERIFY(document->Model.SurfaceData.Polygons == original.Polygons);
    QCOMPARE(document->Model.SurfaceData.ImportOptions, model::TImportOptions{});
    QCOMPARE(document->StlFileName, copy);
}

void TImportDialogTest::PropertyListAndStatusBarNameUnitAndAxis() {
    TMDIChild* document = Import(WriteFile("inch.stl", kInchTetrahedron), [](QDialog& dialog) {
        Child<QComboBox>(dialog, "ComboUnit").setCurrentText(QStringLiteral("дюйм"));
        Child<QComboBox>(dialog, "ComboAxis").setCurrentText(QStringLiteral("\u2212X"));
        dialog.accept();
        return dialog.result();
    });
    tessarin::document::TPropertyRows rows = document->Properties().Rows();
    QVERIFY(rows.size() >= 2);
    QCOMPARE(rows[rows.size() - 2],
             (std::pair{QStringLiteral("Единицы файла"), QStringLiteral("дюйм")}));
    QCOMPARE(rows.back(),
             (std::pair{QStringLiteral("Ось инструмента в файле"), QStringLiteral("\u2212X")}));
    Form->UpdateDocumentStatus();
    QVERIFY2(Form->DocumentStatus().text().contains(QStringLiteral("Единицы: дюйм, ось: \u2212X")),
             qPrintable(Form->DocumentStatus().text()));

    // Any other axis is written as its vector, with the document's separator.
    document->Model.SurfaceData.ImportOptions.Axis = {0.5, 0.0, -1.25};
    rows = tessarin::document::PropertyRows(document->Model);
    QCOMPARE(rows.back().second, QStringLiteral("(0,5; 0; -1,25)"));
    // Without a model the list says nothing of an import.
    Command("ButtonNew")->trigger();
    rows = Form->ActiveDocument()->Properties().Rows();
    for (const auto& [name, value] : rows) {
        QVERIFY(name != QStringLiteral("Единицы файла"));
    }
}

void TImportDialogTest::Picture() {
    const QString folder = qEnvironmentVariable("TESSARIN_GUI_SHOTS");
    if (folder.isEmpty()) {
        QSKIP("TESSARIN_GUI_SHOTS is not set");
    }
    const QString path = WriteFile("inch.stl", kInchTetrahedron);
    Import(path, [&](QDialog& dialog) {
        ImportDialog(dialog).WaitForCheck();
        dialog.show();
        QTest::qWait(200);
        dialog.grab().save(folder + QStringLiteral("/import_dialog.png"));
        dialog.reject();
        return dialog.result();
    });
}

QTEST_MAIN(TImportDialogTest)
#include "import_dialog_test.moc"
