// The main window's "Настройки" command and the application of the interface settings.
#include <QMenuBar>
#include <QToolBar>
#include <QToolButton>

#include <optional>

#include "shell/app_settings.h"
#include "shell/dialogs.h"
#include "shell/main_window.h"
#include "shell/setting_form.h"

namespace tessarin::shell {

using document::TMDIChild;

void TMainForm::ButtonSettingsClick() {
    TMDIChild* active = ActiveDocument();
    std::optional<model::TGeometrySettings> currentProject;
    if (active != nullptr) {
        currentProject = active->Model.SurfaceData.GeometrySettings;
    }
    const TShellSettings stored = Settings.ReadSettings();
    SettingForm->Prepare(stored, currentProject);
    if (DialogService.RunModal(*SettingForm) != QDialog::Accepted) {
        return;  // "Отмена": nothing is stored or applied
    }
    TShellSettings result = SettingForm->Result();
    result.DecimalSeparator = stored.DecimalSeparator;
    if (SettingForm->AppliesToNewProjects()) {
        Settings.WriteSettings(result, true);
    } else {
        // The dialog is modal, so the active document is the one whose values it showed.
        if (TMDIChild* document = ActiveDocument(); document != nullptr) {
            model::TSurFaceData& data = document->Model.SurfaceData;
            // New values of the sorting and of the cutting-edge search count from the
            // next sorting and search, as the dialog's other geometry values do. The
            // dialog has no field for the edge kink: the project keeps its own.
            model::TGeometrySettings geometry = result.Geometry;
            geometry.EdgeKinkAngle = data.GeometrySettings.EdgeKinkAngle;
            if (!(data.GeometrySettings == geometry)) {
                const bool accuracyChanged =
                    data.GeometrySettings.TableAccuracy != geometry.TableAccuracy;
                data.GeometrySettings = geometry;
                // The project file keeps these values: closing must not lose them
                // without the save question.
                data.Modified = true;
                // The results on show take the new accuracy and marking at once.
                if (accuracyChanged) {
                    document->Model.RefillColumns();
                }
                document->RefreshDataPanel();
                document->FillPropertyList();
            }
        }
        Settings.WriteSettings(result, false);
    }
    ApplyInterfaceSettings();
}

void TMainForm::ApplyInterfaceSettings() {
    for (const TDocumentSlot& slot : DocumentSlots) {
        if (slot.Alive()) {
            slot.Window->ApplyChartVisibility();
            slot.Window->ApplyTableColumnSizing();
            slot.Window->ApplyPanelStyle();
        }
    }
    ApplyButtonStyle(Settings.ReadSettings().ButtStyle);
}

void TMainForm::ApplyButtonStyle(int style) {
    ButtonStyleIndex = style == 1 || style == 2 ? style : 0;
    // Standard buttons are always drawn raised; default and flat ones only under the
    // mouse, flat ones without any frame.
    const QString flat = QStringLiteral(
        "QToolButton { border: 1px solid transparent; border-radius: 0; padding: 2px; }"
        "QToolButton:hover { border-color: palette(mid); }"
        "QToolButton:checked, QToolButton:pressed { background: palette(midlight);"
        " border-color: palette(dark); }");
    for (QToolBar* bar : {ToolBarStandard, ToolBarGeometry, ToolBarView}) {
        bar->setStyleSheet(ButtonStyleIndex == 2 ? flat : QString());
        for (QToolButton* button : bar->findChildren<QToolButton*>()) {
            button->setAutoRaise(ButtonStyleIndex != 1);
        }
    }
    menuBar()->setStyleSheet(ButtonStyleIndex == 2 ? QStringLiteral("QMenuBar { border: none; }")
                                                   : QString());
}

}  // namespace tessarin::shell
