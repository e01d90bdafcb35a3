#include "document/tolerance_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

#include "base/number_format.h"
#include "document/tolerance_view.h"

namespace tessarin::document {

namespace {

constexpr int kFieldCount = 3;

const QString kRedFrame = QStringLiteral("QLineEdit { border: 2px solid rgb(220, 0, 0); }");
const QString kRedBox = QStringLiteral("QComboBox { border: 2px solid rgb(220, 0, 0); }");

// The computed systems' angles, then those of the tolerances kept from before.
std::vector<model::TAngleId> OfferedAngles(const model::TModel& model) {
    std::vector<model::TAngleId> angles;
    for (const model::TAngleId& id : model::AllAngles()) {
        const bool computed = model.DefinedAngles.at(static_cast<std::size_t>(id.System));
        const bool kept = std::any_of(model.Tolerances.begin(), model.Tolerances.end(),
                                      [&](const model::TTolerance& t) { return t.Angle == id; });
        if (computed || kept) {
            angles.push_back(id);
        }
    }
    return angles;
}

QString Text(double value, char separator) {
    return QString::fromStdString(base::FloatToStr(value, separator));
}

}  // namespace

TToleranceDialog::TToleranceDialog(const model::TModel& model, QWidget* parent)
    : QDialog(parent), Separator(model.DecimalSeparator), Angles(OfferedAngles(model)) {
    setObjectName(QStringLiteral("ToleranceDialog"));
    setWindowTitle(QStringLiteral("Допуски"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral(
        "Номинальные значения углов с нижним (≤ 0) и верхним (≥ 0) отклонением, °")));
    Table = new QTableWidget(0, 1 + kFieldCount);
    Table->setObjectName(QStringLiteral("ToleranceTable"));
    Table->setHorizontalHeaderLabels({QStringLiteral("Угол"), QStringLiteral("Номинал"),
                                      QStringLiteral("Нижнее откл."),
                                      QStringLiteral("Верхнее откл.")});
    Table->verticalHeader()->hide();
    Table->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    Table->setSelectionBehavior(QAbstractItemView::SelectRows);
    Table->setSelectionMode(QAbstractItemView::SingleSelection);
    layout->addWidget(Table, 1);

    auto* rowButtons = new QHBoxLayout;
    auto* add = new QPushButton(QStringLiteral("Добавить"));
    add->setObjectName(QStringLiteral("AddTolerance"));
    auto* remove = new QPushButton(QStringLiteral("Удалить"));
    remove->setObjectName(QStringLiteral("RemoveTolerance"));
    add->setEnabled(!Angles.empty());
    rowButtons->addWidget(add);
    rowButtons->addWidget(remove);
    rowButtons->addStretch(1);
    layout->addLayout(rowButtons);
    connect(add, &QPushButton::clicked, this, [this] { AddRow(); });
    connect(remove, &QPushButton::clicked, this, [this] { RemoveRow(Table->currentRow()); });

    auto* buttons = new QDialogButtonBox;
    Ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    buttons->addButton(QStringLiteral("Отмена"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        if (Valid()) {
            accept();
        }
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);

    for (const model::TTolerance& t : model.Tolerances) {
        const int row = AddRow();
        SetRow(row, t.Angle, Text(t.Nominal, Separator), Text(t.Lower, Separator),
               Text(t.Upper, Separator));
    }
    resize(620, 320);
    Check();
}

int TToleranceDialog::AddRow() {
    if (Angles.empty()) {
        return -1;
    }
    const int row = Table->rowCount();
    Table->insertRow(row);
    auto* box = new QComboBox;
    for (const model::TAngleId& id : Angles) {
        box->addItem(AngleCaption(id));
    }
    // The first angle that has no row yet.
    const auto taken = [&](int index) {
        for (int r = 0; r < row; ++r) {
            if (AngleBox(r)->currentIndex() == index) {
                return true;
            }
        }
        return false;
    };
    int index = 0;
    while (index + 1 < static_cast<int>(Angles.size()) && taken(index)) {
        ++index;
    }
    box->setCurrentIndex(index);
    connect(box, &QComboBox::currentIndexChanged, this, &TToleranceDialog::Check);
    Table->setCellWidget(row, 0, box);
    for (int f = 0; f < kFieldCount; ++f) {
        auto* field = new QLineEdit(QStringLiteral("0"));
        connect(field, &QLineEdit::textChanged, this, &TToleranceDialog::Check);
        Table->setCellWidget(row, 1 + f, field);
    }
    Table->setCurrentCell(row, 0);
    Check();
    return row;
}

void TToleranceDialog::RemoveRow(int row) {
    if (row < 0 || row >= Table->rowCount()) {
        return;
    }
    Table->removeRow(row);
    Check();
}

int TToleranceDialog::RowCount() const {
    return Table->rowCount();
}

QLineEdit* TToleranceDialog::Field(int row, int field) const {
    return qobject_cast<QLineEdit*>(Table->cellWidget(row, 1 + field));
}

QComboBox* TToleranceDialog::AngleBox(int row) const {
    return qobject_cast<QComboBox*>(Table->cellWidget(row, 0));
}

bool TToleranceDialog::SetRow(int row, const model::TAngleId& id, const QString& nominal,
                              const QString& lower, const QString& upper) {
    const auto found = std::find(Angles.begin(), Angles.end(), id);
    if (row < 0 || row >= Table->rowCount() || found == Angles.end()) {
        return false;
    }
    AngleBox(row)->setCurrentIndex(static_cast<int>(found - Angles.begin()));
    Field(row, 0)->setText(nominal);
    Field(row, 1)->setText(lower);
    Field(row, 2)->setText(upper);
    return true;
}

void TToleranceDialog::Check() {
    bool valid = true;
    for (int row = 0; row < Table->rowCount(); ++row) {
        for (int f = 0; f < kFieldCount; ++f) {
            QLineEdit* field = Field(row, f);
            double value = 0.0;
            QString problem;
            if (!base::StrToFloat(field->text().trimmed().toStdString(), Separator, value) ||
                !std::isfinite(value)) {
                problem = QStringLiteral("\"%1\" не является числом").arg(field->text());
            } else if (f == 1 && value > 0.0) {
                problem = QStringLiteral("Нижнее отклонение не может быть больше 0");
            } else if (f == 2 && value < 0.0) {
                problem = QStringLiteral("Верхнее отклонение не может быть меньше 0");
            }
            field->setStyleSheet(problem.isEmpty() ? QString() : kRedFrame);
            field->setToolTip(problem);
            valid = valid && problem.isEmpty();
        }
        QComboBox* box = AngleBox(row);
        bool twice = false;
        for (int other = 0; other < Table->rowCount(); ++other) {
            twice =
                twice || (other != row && AngleBox(other)->currentIndex() == box->currentIndex());
        }
        box->setStyleSheet(twice ? kRedBox : QString());
        box->setToolTip(twice ? QStringLiteral("Допуск этого угла задан дважды") : QString());
        valid = valid && !twice;
    }
    Ok->setEnabled(valid);
}

bool TToleranceDialog::Valid() const {
    return Ok->isEnabled();
}

model::TToleranceSet TToleranceDialog::Tolerances() const {
    model::TToleranceSet set;
    for (int row = 0; row < Table->rowCount(); ++row) {
        model::TTolerance t;
        t.Angle = Angles.at(static_cast<std::size_t>(AngleBox(row)->currentIndex()));
        double* values[kFieldCount] = {&t.Nominal, &t.Lower, &t.Upper};
        bool read = true;
        for (int f = 0; f < kFieldCount; ++f) {
            read = read && base::StrToFloat(Field(row, f)->text().trimmed().toStdString(),
                                            Separator, *values[f]);
        }
        if (read && model::ValidTolerance(t)) {
            model::SetTolerance(set, t);
        }
    }
    return set;
}

TColourMapDialog::TColourMapDialog(const model::TModel& model,
                                   std::optional<model::TAngleId> current, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("ColourMapDialog"));
    setWindowTitle(QStringLiteral("Цветовая карта"));
    for (const model::TAngleId& id : model::AllAngles()) {
        if (model.DefinedAngles.at(static_cast<std::size_t>(id.System))) {
            Angles.push_back(id);
        }
    }
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Окрасить режущую кромку по значению угла:")));
    Choice = new QComboBox;
    Choice->addItem(QStringLiteral("Нет (обычные цвета)"));
    for (const model::TAngleId& id : Angles) {
        Choice->addItem(AngleCaption(id));
    }
    layout->addWidget(Choice);
    auto* buttons = new QDialogButtonBox;
    buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    buttons->addButton(QStringLiteral("Отмена"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    Choose(current);
}

std::optional<model::TAngleId> TColourMapDialog::Chosen() const {
    const int index = Choice->currentIndex();
    if (index <= 0) {
        return std::nullopt;
    }
    return Angles.at(static_cast<std::size_t>(index - 1));
}

bool TColourMapDialog::Choose(std::optional<model::TAngleId> id) {
    if (!id) {
        Choice->setCurrentIndex(0);
        return true;
    }
    const auto found = std::find(Angles.begin(), Angles.end(), *id);
    if (found == Angles.end()) {
        Choice->setCurrentIndex(0);
        return false;
    }
    Choice->setCurrentIndex(1 + static_cast<int>(found - Angles.begin()));
    return true;
}

}  // namespace tessarin::document
