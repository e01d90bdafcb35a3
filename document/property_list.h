// The property list of a document window (ValueListEditor1 in "Свойства"): the defining
// values of the coordinate system of the open side-bar group, read-only, rebuilt
// whenever something may have changed.
#pragma once

#include <QTableWidget>

#include <utility>
#include <vector>

#include "model/model.h"

namespace tessarin::document {

using TPropertyRows = std::vector<std::pair<QString, QString>>;

// The rows of model.CurrentCS from AcceptedCS: numbers with TableAccuracy decimals,
// vectors "(x;y;z)", "Да"/"Нет" for the angles computed. The tool system shows its fixed
// normal "0; 0; 1". A loaded model adds, last, the unit and the tool axis it was imported
// with ("Единицы файла", "Ось инструмента в файле").
TPropertyRows PropertyRows(const model::TModel& model);

class TPropertyList final : public QTableWidget {
    Q_OBJECT

public:
    explicit TPropertyList(QWidget* parent = nullptr);

    // Clears the list and appends `rows`; a name that repeats replaces the earlier value.
    void Fill(const TPropertyRows& rows);
    // Sets the value of `name`, appending a row when there is none.
    void SetValue(const QString& name, const QString& value);
    TPropertyRows Rows() const;
};

}  // namespace tessarin::document
