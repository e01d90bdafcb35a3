// "Настройки": the settings dialog. Page "Геометрия" edits the seven geometry settings,
// either of new projects (the stored settings) or of the current project (the active
// document's own copy), as the target list "Применять настройки к:" says; page
// "Интерфейс" edits the interface settings, which are always the stored ones.
//
// The dialog is made once and reused: its page and the contents of its fields persist
// between showings until Prepare refills them. The first showing opens on
// "Интерфейс", later ones on the page that was active when the dialog last closed.
//
// Field rules: EditGamma and EditAlpha take digits and one decimal separator, spin
// 0..89, a value above 89 becomes "89" with a beep, and when Alpha + Gamma exceeds 90
// the other field becomes 90 minus the edited one; EditTableAccu takes digits, spins
// 0..6, and a value above 6 becomes "6" with a beep; EditMinNormalAngle (degrees) takes
// digits and one separator, spins 0..180, and a value above 180 becomes "180" with a beep;
// EditPointTolerance (mm) likewise within 0..1, and OK refuses a tolerance of 0. Other
// keys are refused with a beep. An empty field becomes "0" when left. Choosing a target or
// switching pages refills the geometry fields from the chosen set, dropping unconfirmed edits.
#pragma once

#include <QDialog>
#include <QString>

#include <optional>

#include "model/types.h"
#include "shell/app_settings.h"
#include "shell/dialogs.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QTabWidget;
class QToolButton;

namespace tessarin::shell {

class TSettingSpinEdit;

class TSettingForm final : public QDialog {
    Q_OBJECT

public:
    // Numbers are written and read with `decimalSeparator`; beeps, errors and the
    // folder browser go through `dialogs`.
    TSettingForm(TDialogs& dialogs, char decimalSeparator, QWidget* parent = nullptr);
    ~TSettingForm() override;

    // Readies a showing: the target list gets "новым проектам" and, only when
    // `currentProject` is given (a document is open), "текущему проекту"; the first
    // entry is chosen and every control is filled from `newProjects`.
    void Prepare(const TShellSettings& newProjects,
                 std::optional<model::TGeometrySettings> currentProject);
    // Fills the geometry controls and, when `withInterface`, the interface controls.
    void ShowValues(const model::TGeometrySettings& geometry, const TShellSettings& interface,
                    bool withInterface);
    // Reads every control into Result(). False, with the field named in `problem`,
    // when a number field does not hold a number.
    bool CollectValues(QString* problem = nullptr);
    // What the controls held when the dialog last closed (or CollectValues ran).
    const TShellSettings& Result() const { return Collected; }
    // The target is "новым проектам".
    bool AppliesToNewProjects() const;

    // OK closes only when every number field holds a number (else the error is shown
    // and the dialog stays); "Отмена" always closes.
    void done(int result) override;

private:
    QWidget* CreateGeometryPage();
    QWidget* CreateInterfacePage();
    void RefillGeometry();
    void GammaChanged();
    void AlphaChanged();
    void TableAccuChanged();
    // A number above `limit` typed into `edit` becomes the limit, with a beep.
    void KeepWithin(TSettingSpinEdit& edit, double limit);
    void BrowsePath();
    bool ReadNumber(const TSettingSpinEdit& edit, double& value) const;
    QString NumberText(double value) const;

    TDialogs& DialogService;
    char Separator;
    TShellSettings NewProjects;
    std::optional<model::TGeometrySettings> CurrentProject;
    TShellSettings Collected;
    bool Filling = false;    // controls being filled: the field rules stay quiet
    bool Adjusting = false;  // a rule is rewriting a field

    QTabWidget* PageControl = nullptr;
    QComboBox* ComboTarget = nullptr;
    TSettingSpinEdit* EditGamma = nullptr;
    TSettingSpinEdit* EditAlpha = nullptr;
    TSettingSpinEdit* EditTableAccu = nullptr;
    TSettingSpinEdit* EditMinNormalAngle = nullptr;
    TSettingSpinEdit* EditPointTolerance = nullptr;
    QCheckBox* CheckDiscardInt = nullptr;
    QCheckBox* CheckMarkNegative = nullptr;
    QCheckBox* CheckViewChart = nullptr;
    QCheckBox* CheckSmartCursor = nullptr;
    QCheckBox* CheckCustomTable = nullptr;
    QButtonGroup* GroupButtStyle = nullptr;
    QButtonGroup* GroupPanelStyle = nullptr;
    QCheckBox* CheckUsePath = nullptr;
    QLineEdit* ButtonEditPath = nullptr;
    QToolButton* ButtonBrowsePath = nullptr;
};

}  // namespace tessarin::shell
