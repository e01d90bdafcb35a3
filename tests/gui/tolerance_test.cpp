// Nominal values with tolerances in a document window: the dialog's rows reaching the
// model (and "Отмена" leaving it), the table's orange cells against the negative pink,
// the chart's tolerance band, the property list's verdict, the cutting edge's colours of
// the verdict and of the colour map, its legend, and the project file round trip.
#include <QtTest>

#include <QComboBox>
#include <QImage>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>

#include <cmath>
#include <limits>
#include <memory>

#include "document/angle_chart.h"
#include "document/data_panel.h"
#include "document/data_table_model.h"
#include "document/data_tree.h"
#include "document/mdi_child.h"
#include "document/property_list.h"
#include "document/tolerance_dialog.h"
#include "document/tolerance_view.h"
#include "model/model.h"
#include "shell/main_window.h"
#include "tests/gui/support/memory_settings.h"
#include "tests/gui/support/sample_window.h"
#include "tests/gui/support/scripted_dialogs.h"
#include "view/colour_legend.h"

using tessarin::document::TMDIChild;
using tessarin::document::TToleranceDialog;
using tessarin::shell::TMainForm;
using tessarin::test::TMemorySettings;
using tessarin::test::TScriptedDialogs;
namespace document = tessarin::document;
namespace model = tessarin::model;

namespace {

const QString kSampleProject = QStringLiteral(TESSARIN_SAMPLES "/cutter.tsf");
const model::TAngleId kToolRake{model::kISK, model::kKindG};
const model::TAngleId kStaticRake{model::kSSK, model::kKindG};
const model::TAngleId kStaticNormalRake{model::kSSK, model::kKindGn};

double ValueAt(const model::TModel& m, std::size_t segment, const model::TAngleId& id) {
    return model::AngleValue(m.CutEdge.at(segment), m.AcceptedCS, id);
}

QString Text(double value) {
    return QString::number(value, 'f', 6).replace(QLatin1Char('.'), QLatin1Char(','));
}

// With TESSARIN_SCREENSHOT_DIR=<folder> in the environment, the pictures are kept there.
void SaveScreenshot(const QImage& image, const char* name) {
    if (const char* folder = std::getenv("TESSARIN_SCREENSHOT_DIR"); folder != nullptr) {
        image.save(QString::fromLocal8Bit(folder) + QLatin1Char('/') + QLatin1String(name));
    }
}

bool HasRow(const document::TPropertyRows& rows, const QString& start) {
    return std::any_of(rows.begin(), rows.end(),
                       [&](const auto& row) { return row.first.startsWith(start); });
}

}  // namespace

class TToleranceTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void DialogRowsReachTheModel();
    void CancelLeavesTheModel();
    void InvalidFieldsKeepOkOff_data();
    void InvalidFieldsKeepOkOff();
    void OutsideCellsAreOrangeNotPink();
    void ChartShowsTheBand();
    void EdgeColoursFollowVerdictAndColourMap();
    void LegendBarRunsFromBlueToRed();
    void ProjectKeepsTheTolerances();

private:
    TMDIChild* OpenSample();
    // Runs "Допуски..." with `work` on the dialog.
    bool RunDialog(TMDIChild& document, std::function<int(TToleranceDialog&)> work);

    std::unique_ptr<TScriptedDialogs> Dialogs;
    std::unique_ptr<TMemorySettings> Settings;
    std::unique_ptr<TMainForm> Form;
};

void TToleranceTest::init() {
    Dialogs = std::make_unique<TScriptedDialogs>();
    Settings = std::make_unique<TMemorySettings>();
    Form = std::make_unique<TMainForm>(*Dialogs, *Settings);
}

void TToleranceTest::cleanup() {
    QVERIFY2(Dialogs->Unscripted().isEmpty(), qPrintable(Dialogs->Unscripted().join("; ")));
    Form.reset();
    Settings.reset();
    Dialogs.reset();
}

TMDIChild* TToleranceTest::OpenSample() {
    return tessarin::test::OpenProjectInSizedWindow(*Form, *Dialogs, kSampleProject);
}

bool TToleranceTest::RunDialog(TMDIChild& document, std::function<int(TToleranceDialog&)> work) {
    bool ran = false;
    Dialogs->WorkModal([&](QDialog& dialog) {
        auto* tolerances = qobject_cast<TToleranceDialog*>(&dialog);
        if (tolerances == nullptr) {
            return int(QDialog::Rejected);
        }
        ran = true;
        return work(*tolerances);
    });
    document.EditTolerances();
    return ran;
}

void TToleranceTest::DialogRowsReachTheModel() {
    TMDIChild* document = OpenSample();
    QVERIFY(document->Model.Tolerances.empty());
    QVERIFY(!document->Model.SurfaceData.Modified);
    QVERIFY(RunDialog(*document, [](TToleranceDialog& dialog) {
        // Added out of order, and a third row removed again: the model keeps the order
        // of the angle list, and only the rows that stay.
        const int first = dialog.AddRow();
        const int second = dialog.AddRow();
        const int third = dialog.AddRow();
        dialog.SetRow(first, kStaticNormalRake, "6", "-0,5", "0,5");
        dialog.SetRow(second, kToolRake, "-2,25", "0", "1,5");
        dialog.SetRow(third, kStaticRake, "1", "-1", "1");
        dialog.RemoveRow(third);
        return dialog.Valid() ? int(QDialog::Accepted) : int(QDialog::Rejected);
    }));
    const model::TToleranceSet expected{{kToolRake, -2.25, 0.0, 1.5},
                                        {kStaticNormalRake, 6.0, -0.5, 0.5}};
    QCOMPARE(document->Model.Tolerances, expected);
    QVERIFY(document->Model.SurfaceData.Modified);
    QVERIFY(document->isWindowModified());
    // The verdict is judged at once and shown in the property list.
    QCOMPARE(document->Tolerance().Judged.size(), std::size_t{2});
    const document::TPropertyRows rows = document->Properties().Rows();
    QVERIFY(HasRow(rows, QStringLiteral("Допуск isk.g")));
    QVERIFY(HasRow(rows, QStringLiteral("Допуск ssk.gn")));
    QVERIFY(HasRow(rows, QStringLiteral("Все допуски")));

    // The dialog starts from what the model has.
    QVERIFY(RunDialog(*document, [&](TToleranceDialog& dialog) {
        [&] {
            QCOMPARE(dialog.RowCount(), 2);
            QCOMPARE(dialog.Field(0, 0)->text(), QStringLiteral("-2,25"));
            QCOMPARE(dialog.Field(1, 2)->text(), QStringLiteral("0,5"));
        }();
        SaveScreenshot(dialog.grab().toImage(), "tolerance_dialog.png");
        return int(QDialog::Rejected);
    }));
}

void TToleranceTest::CancelLeavesTheModel() {
    TMDIChild* document = OpenSample();
    document->Model.Tolerances = {{kStaticRake, 3.0, -1.0, 1.0}};
    const model::TToleranceSet before = document->Model.Tolerances;
    QVERIFY(RunDialog(*document, [](TToleranceDialog& dialog) {
        dialog.RemoveRow(0);
        dialog.SetRow(dialog.AddRow(), kToolRake, "1", "-1", "1");
        return int(QDialog::Rejected);
    }));
    QCOMPARE(document->Model.Tolerances, before);
    QVERIFY(!document->Model.SurfaceData.Modified);
    // OK on the rows as they were changes nothing either.
    QVERIFY(RunDialog(*document, [](TToleranceDialog&) { return int(QDialog::Accepted); }));
    QCOMPARE(document->Model.Tolerances, before);
    QVERIFY(!document->Model.SurfaceData.Modified);
}

void TToleranceTest::InvalidFieldsKeepOkOff_data() {
    QTest::addColumn<QString>("nominal");
    QTest::addColumn<QString>("lower");
    QTest::addColumn<QString>("upper");
    QTest::addColumn<int>("badField");  // -1: every field reads
    QTest::newRow("valid") << "6,5"
                           << "-0,5"
                           << "0,25" << -1;
    QTest::newRow("zero band") << "0"
                               << "0"
                               << "0" << -1;
    QTest::newRow("point separator") << "6.5"
                                     << "-0,5"
                                     << "0,5" << 0;
    QTest::newRow("not a number") << "5-"
                                  << "-0,5"
                                  << "0,5" << 0;
    QTest::newRow("empty") << ""
                           << "-0,5"
                           << "0,5" << 0;
    QTest::newRow("lower above zero") << "6"
                                      << "0,5"
                                      << "1" << 1;
    QTest::newRow("upper below zero") << "6"
                                      << "-1"
                                      << "-0,5" << 2;
}

void TToleranceTest::InvalidFieldsKeepOkOff() {
    QFETCH(QString, nominal);
    QFETCH(QString, lower);
    QFETCH(QString, upper);
    QFETCH(int, badField);
    TMDIChild* document = OpenSample();
    TToleranceDialog dialog(document->Model);
    QVERIFY(dialog.SetRow(dialog.AddRow(), kStaticRake, nominal, lower, upper));
    QCOMPARE(dialog.Valid(), badField < 0);
    QCOMPARE(dialog.OkButton().isEnabled(), badField < 0);
    for (int f = 0; f < 3; ++f) {
        QCOMPARE(dialog.Field(0, f)->styleSheet().contains("solid rgb(220, 0, 0)"), f == badField);
        QCOMPARE(dialog.Field(0, f)->toolTip().isEmpty(), f != badField);
    }
    // The same angle twice is refused too.
    if (badField < 0) {
        QVERIFY(dialog.SetRow(dialog.AddRow(), kStaticRake, "1", "0", "0"));
        QVERIFY(!dialog.Valid());
        QVERIFY(!dialog.AngleBox(1)->styleSheet().isEmpty());
        dialog.RemoveRow(1);
        QVERIFY(dialog.Valid());
    }
}

void TToleranceTest::OutsideCellsAreOrangeNotPink() {
    TMDIChild* document = OpenSample();
    model::TModel& m = document->Model;
    m.SurfaceData.GeometrySettings.MarkNegative = true;
    // The sample's tool rake angle is negative at the fourth segment. A band around that
    // value keeps it within; the segments with another value fall outside.
    const double negative = ValueAt(m, 3, kToolRake);
    QVERIFY(negative < 0.0);
    std::size_t outside = 0;
    while (outside < m.CutEdge.size() &&
           std::fabs(ValueAt(m, outside, kToolRake) - negative) < 0.01) {
        ++outside;
    }
    QVERIFY(outside < m.CutEdge.size());
    QVERIFY(RunDialog(*document, [&](TToleranceDialog& dialog) {
        dialog.SetRow(dialog.AddRow(), kToolRake, Text(negative), "-0,001", "0,001");
        return int(QDialog::Accepted);
    }));
    // The tool system's node: columns 3..5. A row chosen elsewhere, as chosen rows are
    // never coloured.
    QVERIFY(document->Data().SelectTreeNode(model::kSystems[model::kISK].TreeKind));
    int chosen = 0;
    while (chosen == 3 || chosen == static_cast<int>(outside)) {
        ++chosen;
    }
    document->Data().ChooseRows(chosen, chosen);
    const document::TDataTableModel& table = document->Data().TableModel();
    const std::vector<int>& shown = table.ShownColumns();
    const auto column = [&](int k) {
        return static_cast<int>(std::find(shown.begin(), shown.end(), k) - shown.begin());
    };
    QVERIFY(column(3) < static_cast<int>(shown.size()));
    QVERIFY(column(4) < static_cast<int>(shown.size()));
    const QColor orange = document::kOutsideToleranceCellColor;
    QVERIFY(orange != document::kNegativeCellColor);
    // Within: the negative value keeps its pink. Outside: orange, negative or not.
    QCOMPARE(table.CellColor(3, column(3)), document::kNegativeCellColor);
    QCOMPARE(table.CellColor(static_cast<int>(outside), column(3)), orange);
    // An angle without a tolerance is never orange.
    for (int row = 0; row < table.rowCount(); ++row) {
        QVERIFY(table.CellColor(row, column(4)) != orange);
    }
    // What the table draws.
    QTableView& view = document->Data().Table();
    const QModelIndex index = table.index(static_cast<int>(outside), column(3));
    view.scrollTo(index);
    const QRect cell = view.visualRect(index);
    const QImage image = view.viewport()->grab().toImage();
    QCOMPARE(image.pixelColor(cell.right() - 3, cell.bottom() - 2), orange);
    if (std::getenv("TESSARIN_SCREENSHOT_DIR") != nullptr) {
        document->Data().grab().save(
            QString::fromLocal8Bit(std::getenv("TESSARIN_SCREENSHOT_DIR")) +
            "/tolerance_table.png");
    }
}

void TToleranceTest::ChartShowsTheBand() {
    TMDIChild* document = OpenSample();
    document->Model.Tolerances = {{kStaticRake, 4.0, -0.5, 1.0}};
    document->RefreshTolerances();
    document::TDataPanel& panel = document->Data();
    const auto bandsOf = [&](int kind) {
        panel.SelectTreeNode(kind);
        return panel.Chart().ToleranceBands();
    };
    // The static rake angle's node: its band; the tool rake angle's: none.
    const int staticRakeNode = model::kSystems[model::kSSK].TreeKind + 1 + model::kKindG;
    const int toolRakeNode = model::kSystems[model::kISK].TreeKind + 1 + model::kKindG;
    const auto bands = bandsOf(staticRakeNode);
    QCOMPARE(bands.size(), std::size_t{1});
    QCOMPARE(bands[0].Column, model::kSystems[model::kSSK].FirstColumn);
    QCOMPARE(bands[0].Low, 3.5);
    QCOMPARE(bands[0].High, 5.0);
    QVERIFY(bandsOf(toolRakeNode).empty());

    // Drawn: the shaded strip tints the plot inside the band's rows, and the axis takes
    // the band in even where the values lie outside it.
    panel.SelectTreeNode(staticRakeNode);
    document::TAngleChart& chart = panel.Chart();
    chart.resize(500, 300);
    QCoreApplication::processEvents();
    const QImage withBand = chart.grab().toImage();
    document->Model.Tolerances.clear();
    document->RefreshTolerances();
    panel.SelectTreeNode(toolRakeNode);
    panel.SelectTreeNode(staticRakeNode);
    QCoreApplication::processEvents();
    const QImage withoutBand = chart.grab().toImage();
    int tinted = 0;
    for (int y = 0; y < withBand.height(); ++y) {
        for (int x = 0; x < withBand.width(); ++x) {
            const QColor a = withBand.pixelColor(x, y);
            if (a != withoutBand.pixelColor(x, y) && a.blue() > a.red() && a.blue() > 200) {
                ++tinted;
            }
        }
    }
    QVERIFY2(tinted > 500, qPrintable(QString::number(tinted)));
}

void TToleranceTest::EdgeColoursFollowVerdictAndColourMap() {
    TMDIChild* document = OpenSample();
    model::TModel& m = document->Model;
    QVERIFY(document->EdgeColours().empty());
    // A band around segment 0's static rake angle: segment 0 within, some other outside.
    const double value = ValueAt(m, 0, kStaticRake);
    m.Tolerances = {{kStaticRake, value, -0.001, 0.001}};
    document->RefreshTolerances();
    const model::TToleranceReport& report = document->Tolerance();
    QVERIFY(report.AnyOutside());
    const std::vector<std::uint32_t>& colours = document->EdgeColours();
    QCOMPARE(colours.size(), m.CutEdge.size());
    for (std::size_t s = 0; s < colours.size(); ++s) {
        QCOMPARE(colours[s] == document::kOutsideToleranceEdgeColor, !report.SegmentInside[s]);
    }
    QCOMPARE(colours[0], 0u);

    // The colour map replaces the red: blue at the smallest value, red at the largest,
    // grey where the value is not a number.
    m.CutEdge[5].SSK.G = std::numeric_limits<double>::quiet_NaN();
    document->SetColourMap(kStaticRake);
    std::size_t low = 0;
    std::size_t high = 0;
    for (std::size_t s = 0; s < m.CutEdge.size(); ++s) {
        const double v = ValueAt(m, s, kStaticRake);
        if (v < ValueAt(m, low, kStaticRake)) {
            low = s;
        }
        if (v > ValueAt(m, high, kStaticRake)) {
            high = s;
        }
    }
    const std::vector<std::uint32_t>& mapped = document->EdgeColours();
    QCOMPARE(mapped.size(), m.CutEdge.size());
    QCOMPARE(mapped[low], 0xFF0000FFu);
    QCOMPARE(mapped[high], 0xFFFF0000u);
    QCOMPARE(mapped[5], document::kNotANumberEdgeColor);
    QVERIFY(std::none_of(mapped.begin(), mapped.end(), [](std::uint32_t c) {
        return c == document::kOutsideToleranceEdgeColor;
    }));
    // Off again: the verdict's red is back.
    document->SetColourMap(std::nullopt);
    QVERIFY(document->EdgeColours()[high] == document::kOutsideToleranceEdgeColor ||
            document->EdgeColours()[high] == 0u);
    QCOMPARE(document->EdgeColours()[5], document::kOutsideToleranceEdgeColor);
}

void TToleranceTest::LegendBarRunsFromBlueToRed() {
    QImage image(400, 400, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        tessarin::view::TColourLegend legend;
        legend.Title = QStringLiteral("ssk.g");
        legend.Min = -3.5;
        legend.Max = 12.25;
        tessarin::view::DrawColourLegend(painter, image.rect(), legend);
    }
    SaveScreenshot(image, "colour_legend.png");
    // The bar is in the top-right quarter: red at its top, blue at its bottom.
    QPoint reddest(-1, 1000);
    QPoint bluest(-1, -1);
    int redCount = 0;
    int blueCount = 0;
    for (int y = 0; y < 200; ++y) {
        for (int x = 200; x < 400; ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.red() > 240 && c.green() < 40 && c.blue() < 40) {
                reddest.setY(std::min(reddest.y(), y));
                ++redCount;
            }
            if (c.blue() > 240 && c.green() < 40 && c.red() < 40) {
                bluest.setY(std::max(bluest.y(), y));
                ++blueCount;
            }
        }
    }
    QVERIFY(redCount > 0);
    QVERIFY(blueCount > 0);
    QVERIFY(reddest.y() < bluest.y());
    // Nothing of it outside that corner.
    for (int y = 200; y < 400; ++y) {
        for (int x = 0; x < 400; ++x) {
            QCOMPARE(image.pixelColor(x, y), QColor(Qt::white));
        }
    }
}

void TToleranceTest::ProjectKeepsTheTolerances() {
    TMDIChild* document = OpenSample();
    QVERIFY(RunDialog(*document, [](TToleranceDialog& dialog) {
        dialog.SetRow(dialog.AddRow(), kStaticNormalRake, "6", "-0,5", "0,5");
        dialog.SetRow(dialog.AddRow(), kToolRake, "-1,125", "-0,25", "0");
        return int(QDialog::Accepted);
    }));
    const model::TToleranceSet saved = document->Model.Tolerances;
    QCOMPARE(saved.size(), std::size_t{2});
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("tolerances.tsf"));
    QVERIFY(document->SaveToProject(path).Ok());
    QVERIFY(!document->Model.SurfaceData.Modified);

    Form->OpenProjectDocument(path);
    TMDIChild* reopened = Form->ActiveDocument();
    QVERIFY(reopened != nullptr && reopened != document);
    QCOMPARE(reopened->Model.Tolerances, saved);
    // Judged as soon as it is open.
    QCOMPARE(reopened->Tolerance().Judged.size(), std::size_t{2});
    QVERIFY(HasRow(reopened->Properties().Rows(), QStringLiteral("Все допуски")));
    QVERIFY(!reopened->Model.SurfaceData.Modified);
}

QTEST_MAIN(TToleranceTest)
#include "tolerance_test.moc"
