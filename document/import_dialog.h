// "Параметры импорта": how an STL model is brought into the tool's frame (the file's
// unit, its tool axis, where the axis passes, the repairs) and the model check of the
// file under the current choices.
//
// The dialog works on the polygons as read from the file (model/stl_import.h), shared
// and never changed. Every change of a choice checks a copy of them on a worker thread,
// so that the dialog answers at once also on a model of millions of facets; a check that
// a newer choice has made stale is abandoned at its next progress step. Until the check
// of the current choices is there the summary says "Проверка модели...". The check's
// suggestions (a unit, a tool axis) each have a button "Применить" that makes the
// suggestion the choice.
//
// OK is disabled while a number field holds no number, while the vector of the tool axis
// is zero, and when the check of the current choices has failed (its reason is shown in
// the summary). Numbers are written with the document's decimal separator and read with
// either "," or ".".
#pragma once

#include <QDialog>
#include <QString>

#include <atomic>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "model/model_check.h"
#include "model/types.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTimer;

namespace tessarin::document {

// The unit as the dialog and the property list name it: "мм", "дюйм", "м", "мкм".
QString LengthUnitText(model::TLengthUnit unit);
// A tool axis along a coordinate axis as "+Z", "−X" and so on, any other as "(x; y; z)"
// with `decimalSeparator`.
QString ToolAxisText(const model::TVector3& axis, char decimalSeparator);

class TImportDialog final : public QDialog {
    Q_OBJECT

public:
    // `polygons`: the model in its file's frame; `name`: the file, for the reasons;
    // `source`: the line that says where the polygons come from; `start`: the choices
    // first shown.
    TImportDialog(std::shared_ptr<const model::TSurface> polygons, std::string name,
                  const QString& source, const model::TImportOptions& start, char decimalSeparator,
                  QWidget* parent = nullptr);
    ~TImportDialog() override;

    // Shows `options` in the controls (an axis along a coordinate axis as that choice,
    // any other as a vector) and checks them.
    void SetOptions(const model::TImportOptions& options);
    // The choices; nothing while a number field holds no number or the axis is zero.
    std::optional<model::TImportOptions> Options() const;
    // The check of the current choices, once it is there and succeeded.
    const std::optional<model::TModelCheck>& Check() const { return CurrentCheck; }
    // The summary as shown.
    QString Summary() const;
    // Waits until the check of the current choices is made and shown.
    void WaitForCheck();

private:
    struct TOutcome {
        int Generation = 0;
        bool Ok = false;
        QString Reason;
        model::TModelCheck Check;
    };

    void ChoicesChanged();
    void StartCheck();
    void StopWorker();
    void CollectOutcome();
    void ShowSummary();
    void ApplySuggestedUnit();
    void ApplySuggestedAxis();
    QString NumberText(double value) const;

    std::shared_ptr<const model::TSurface> Polygons;
    std::string Name;
    char Separator;
    bool Filling = false;

    std::thread Worker;
    std::atomic<bool> WorkerDone{true};  // the worker has returned (or there is none)
    std::atomic<int> Generation{0};
    std::mutex PendingLock;
    std::optional<TOutcome> Pending;  // what the worker found, for the main thread
    bool Checking = false;            // the check of the current choices is not there yet
    std::optional<model::TModelCheck> CurrentCheck;
    QString CurrentFailure;  // why the current choices cannot be imported
    QTimer* Delay = nullptr;

    QComboBox* ComboUnit = nullptr;
    QComboBox* ComboAxis = nullptr;
    QLineEdit* EditAxis[3] = {};
    QButtonGroup* GroupOrigin = nullptr;
    QLineEdit* EditOrigin[3] = {};
    QCheckBox* CheckRepairNormals = nullptr;
    QCheckBox* CheckKeepDuplicates = nullptr;
    QPlainTextEdit* TextCheck = nullptr;
    QLabel* LabelSuggestUnit = nullptr;
    QPushButton* ButtonApplyUnit = nullptr;
    QLabel* LabelSuggestAxis = nullptr;
    QPushButton* ButtonApplyAxis = nullptr;
    QPushButton* ButtonOK = nullptr;
};

}  // namespace tessarin::document
