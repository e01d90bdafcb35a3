// "Допуски": the nominal values with their lower and upper deviations, one table row per
// angle, and "Цветовая карта": the angle that colours the cutting edge in the 3-D view.
//
// The angles offered are those of the systems whose angles are computed, plus any angle
// the model already has a tolerance for. A number field that does not read with the
// document's decimal separator, a lower deviation above 0, an upper one below 0, or an
// angle chosen twice frames its cell red (the reason as its tool tip) and keeps OK off.
#pragma once

#include <QDialog>

#include <optional>
#include <vector>

#include "model/model.h"
#include "model/tolerances.h"

class QComboBox;
class QLineEdit;
class QPushButton;
class QTableWidget;

namespace tessarin::document {

class TToleranceDialog final : public QDialog {
    Q_OBJECT

public:
    // Starts from the model's tolerances; the model is read only here.
    explicit TToleranceDialog(const model::TModel& model, QWidget* parent = nullptr);

    // "Добавить": a row for the first offered angle without a tolerance, nominal 0 and
    // deviations 0; returns its index.
    int AddRow();
    // "Удалить": removes row `row` (nothing for a row that does not exist).
    void RemoveRow(int row);
    int RowCount() const;
    // The row's angle := `id` (one of the offered ones; false otherwise) and its fields.
    bool SetRow(int row, const model::TAngleId& id, const QString& nominal, const QString& lower,
                const QString& upper);
    // The row's fields: 0 nominal, 1 lower, 2 upper deviation.
    QLineEdit* Field(int row, int field) const;
    QComboBox* AngleBox(int row) const;
    // Every row valid (what OK needs).
    bool Valid() const;
    // The rows as a set, in the order of AllAngles(); meaningful while Valid().
    model::TToleranceSet Tolerances() const;

    QPushButton& OkButton() const { return *Ok; }

private:
    void Check();
    const std::vector<model::TAngleId>& Offered() const { return Angles; }

    char Separator = ',';
    std::vector<model::TAngleId> Angles;
    QTableWidget* Table = nullptr;
    QPushButton* Ok = nullptr;
};

// "Цветовая карта": "Нет" or one of the computed angles.
class TColourMapDialog final : public QDialog {
    Q_OBJECT

public:
    TColourMapDialog(const model::TModel& model, std::optional<model::TAngleId> current,
                     QWidget* parent = nullptr);

    std::optional<model::TAngleId> Chosen() const;
    // Chooses `id` (nothing: "Нет"); false when it is not offered.
    bool Choose(std::optional<model::TAngleId> id);
    QComboBox& Box() const { return *Choice; }

private:
    std::vector<model::TAngleId> Angles;
    QComboBox* Choice = nullptr;
};

}  // namespace tessarin::document
