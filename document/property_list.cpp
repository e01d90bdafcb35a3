#include "document/property_list.h"

#include <QHeaderView>

#include "base/number_format.h"
#include "document/import_dialog.h"

namespace tessarin::document {

namespace {

const QString kUndefined = QStringLiteral("Не определено");
const QString kComputed = QStringLiteral("Углы рассчитаны?");

}  // namespace

TPropertyRows PropertyRows(const model::TModel& model) {
    const int accuracy = model.GetAccuracy();
    auto number = [&](double x) {
        return QString::fromStdString(base::FloatToStrAcc(accuracy, x, model.DecimalSeparator));
    };
    auto vector = [&](const geometry::TVector3& v) {
        return QStringLiteral("(") + number(v.x) + QStringLiteral(";") + number(v.y) +
               QStringLiteral(";") + number(v.z) + QStringLiteral(")");
    };
    auto yesNo = [](bool flag) { return QString::fromStdString(base::YesNoStr(flag)); };
    const model::CSValues& cs = model.AcceptedCS;
    auto existed = [&](int flag) { return model.ExistedCS.at(static_cast<std::size_t>(flag)); };
    auto computed = [&](int system) {
        return yesNo(model.DefinedAngles.at(static_cast<std::size_t>(system)));
    };

    TPropertyRows rows;
    switch (model.CurrentCS) {
        case model::kISK:
            rows.emplace_back(QStringLiteral("Нормаль осн.плоскости"), QStringLiteral("0; 0; 1"));
            rows.emplace_back(kComputed, computed(model::kISK));
            break;
        case model::kSSK:
            if (existed(model::kExistedSSK)) {
                rows.emplace_back(QStringLiteral("Нормаль осн.плоскости"), vector(cs.SSK.OP));
                rows.emplace_back(QStringLiteral("Угол наиб. наклона СМП"), number(cs.SSK.GN));
                rows.emplace_back(QStringLiteral("Угол плоскости наиб. наклона"),
                                  number(cs.SSK.Mu));
            } else {
                rows.emplace_back(QStringLiteral("Нормаль осн.плоскости"), kUndefined);
            }
            if (existed(model::kExistedFeedPlan)) {
                rows.emplace_back(QStringLiteral("Нормаль рабочей плоскости"),
                                  vector(cs.FeedPlan.FP));
                rows.emplace_back(QStringLiteral("Главный угол в плане"), number(cs.FeedPlan.Phi));
                rows.emplace_back(QStringLiteral("Номер отр. гл. РК"),
                                  QString::number(cs.FeedPlan.HCE));
            } else {
                rows.emplace_back(QStringLiteral("Нормаль рабочей плоскости"), kUndefined);
            }
            rows.emplace_back(kComputed, computed(model::kSSK));
            break;
        case model::kKSK:
            if (existed(model::kExistedKSK)) {
                rows.emplace_back(QStringLiteral("Нормаль осн.плоскости"), vector(cs.KSK.OP));
                rows.emplace_back(QStringLiteral("Угол скорости резания"), number(cs.KSK.Eta));
            } else {
                rows.emplace_back(QStringLiteral("Нормаль осн.плоскости"), kUndefined);
            }
            rows.emplace_back(kComputed, computed(model::kKSK));
            break;
        default:
            if (existed(model::kExistedDSK)) {
                rows.emplace_back(QStringLiteral("Нормаль секущей плоскости"), vector(cs.DSK.SP));
                rows.emplace_back(QStringLiteral("Угол схода стружки"), number(cs.DSK.Nu));
            } else {
                rows.emplace_back(QStringLiteral("Нормаль секущей плоскости"), kUndefined);
            }
            rows.emplace_back(kComputed, computed(model::kDSK));
            break;
    }
    if (model.SurfaceData.SurfaceExist) {
        // How the model came from its file, whatever system is shown.
        const model::TImportOptions& import = model.SurfaceData.ImportOptions;
        rows.emplace_back(QStringLiteral("Единицы файла"), LengthUnitText(import.Unit));
        rows.emplace_back(QStringLiteral("Ось инструмента в файле"),
                          ToolAxisText(import.Axis, model.DecimalSeparator));
    }
    return rows;
}

TPropertyList::TPropertyList(QWidget* parent) : QTableWidget(0, 2, parent) {
    setObjectName(QStringLiteral("ValueListEditor1"));
    setHorizontalHeaderLabels({QStringLiteral("Параметр"), QStringLiteral("Значение")});
    verticalHeader()->hide();
    verticalHeader()->setDefaultSectionSize(18);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    setColumnWidth(0, 112);
    setColumnWidth(1, 65);
    horizontalHeader()->setStretchLastSection(true);
    setShowGrid(true);
    setWordWrap(false);
}

void TPropertyList::Fill(const TPropertyRows& rows) {
    setRowCount(0);
    for (const auto& [name, value] : rows) {
        SetValue(name, value);
    }
}

void TPropertyList::SetValue(const QString& name, const QString& value) {
    for (int row = 0; row < rowCount(); ++row) {
        if (item(row, 0) != nullptr && item(row, 0)->text() == name) {
            item(row, 1)->setText(value);
            item(row, 1)->setToolTip(value);
            return;
        }
    }
    const int row = rowCount();
    setRowCount(row + 1);
    auto* nameItem = new QTableWidgetItem(name);
    nameItem->setToolTip(name);
    auto* valueItem = new QTableWidgetItem(value);
    // Long vectors do not fit the column: the hint shows them whole.
    valueItem->setToolTip(value);
    setItem(row, 0, nameItem);
    setItem(row, 1, valueItem);
}

TPropertyRows TPropertyList::Rows() const {
    TPropertyRows rows;
    for (int row = 0; row < rowCount(); ++row) {
        rows.emplace_back(item(row, 0)->text(), item(row, 1)->text());
    }
    return rows;
}

}  // namespace tessarin::document
