#include "shell/setting_form.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include <string>

#include "base/number_format.h"
#include "shell/dialogs.h"
#include "shell/setting_spin_edit.h"

namespace tessarin::shell {

namespace {

constexpr int kGeometryPage = 0;
constexpr int kInterfacePage = 1;
constexpr double kAngleLimit = 89.0;
constexpr double kAngleSum = 90.0;
constexpr int kAccuracyLimit = 6;

QCheckBox* MakeCheck(const QString& text, const char* name) {
    auto* check = new QCheckBox(text);
    check->setObjectName(QString::fromLatin1(name));
    return check;
}

// A label above its field, as the long Russian captions need the width.
void AddLabelled(QVBoxLayout* layout, const QString& text, QWidget* field) {
    auto* label = new QLabel(text);
    label->setWordWrap(true);
    label->setBuddy(field);
    auto* row = new QHBoxLayout;
    row->addWidget(label, 1);
    row->addWidget(field);
    layout->addLayout(row);
}

}  // namespace

TSettingForm::TSettingForm(TDialogs& dialogs, char decimalSeparator, QWidget* parent)
    : QDialog(parent), DialogService(dialogs), Separator(decimalSeparator) {
    setObjectName(QStringLiteral("SettingForm"));
    setWindowTitle(QStringLiteral("Настройки"));
    resize(500, 460);

    PageControl = new QTabWidget;
    PageControl->setObjectName(QStringLiteral("PageControl"));
    PageControl->addTab(CreateGeometryPage(), QStringLiteral("Геометрия"));
    PageControl->addTab(CreateInterfacePage(), QStringLiteral("Интерфейс"));
    PageControl->setCurrentIndex(kInterfacePage);
    connect(PageControl, &QTabWidget::currentChanged, this, [this] { RefillGeometry(); });

    auto* buttons = new QDialogButtonBox;
    QPushButton* ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("ButtonOK"));
    ok->setDefault(true);
    QPushButton* cancel =
        buttons->addButton(QStringLiteral("Отмена"), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("ButtonCancel"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(PageControl, 1);
    layout->addWidget(buttons);

    ShowValues(NewProjects.Geometry, NewProjects, true);
}

TSettingForm::~TSettingForm() = default;

QWidget* TSettingForm::CreateGeometryPage() {
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("PageGeometry"));

    ComboTarget = new QComboBox;
    ComboTarget->setObjectName(QStringLiteral("ComboTarget"));
    ComboTarget->addItem(QStringLiteral("новым проектам"));
    connect(ComboTarget, &QComboBox::currentIndexChanged, this, [this] { RefillGeometry(); });
    auto* targetLabel = new QLabel(QStringLiteral("Применять настройки к:"));
    targetLabel->setBuddy(ComboTarget);
    auto* target = new QHBoxLayout;
    target->addWidget(targetLabel);
    target->addWidget(ComboTarget, 1);

    EditGamma = new TSettingSpinEdit(DialogService, static_cast<int>(kAngleLimit), Separator);
    EditGamma->setObjectName(QStringLiteral("EditGamma"));
    EditGamma->OnChange = [this] { GammaChanged(); };
    EditAlpha = new TSettingSpinEdit(DialogService, static_cast<int>(kAngleLimit), Separator);
    EditAlpha->setObjectName(QStringLiteral("EditAlpha"));
    EditAlpha->OnChange = [this] { AlphaChanged(); };
    EditTableAccu = new TSettingSpinEdit(DialogService, kAccuracyLimit, 0);
    EditTableAccu->setObjectName(QStringLiteral("EditTableAccu"));
    EditTableAccu->OnChange = [this] { TableAccuChanged(); };
    EditMinNormalAngle =
        new TSettingSpinEdit(DialogService, static_cast<int>(kMinNormalAngleLimit), Separator);
    EditMinNormalAngle->setObjectName(QStringLiteral("EditMinNormalAngle"));
    EditMinNormalAngle->OnChange = [this] {
        KeepWithin(*EditMinNormalAngle, kMinNormalAngleLimit);
    };
    EditPointTolerance =
        new TSettingSpinEdit(DialogService, static_cast<int>(kPointToleranceLimit), Separator);
    EditPointTolerance->setObjectName(QStringLiteral("EditPointTolerance"));
    EditPointTolerance->OnChange = [this] {
        KeepWithin(*EditPointTolerance, kPointToleranceLimit);
    };
    for (TSettingSpinEdit* edit :
         {EditGamma, EditAlpha, EditTableAccu, EditMinNormalAngle, EditPointTolerance}) {
        edit->setFixedWidth(80);
        edit->OnLeave = [edit] {
            if (edit->text().isEmpty()) {
                edit->SetText(QStringLiteral("0"));
            }
        };
    }
    CheckDiscardInt =
        MakeCheck(QStringLiteral("отбрасывать внутренние поверхности"), "CheckDiscardInt");
    CheckMarkNegative =
        MakeCheck(QStringLiteral("выделять отрицательные значения углов"), "CheckMarkNegative");

    auto* sorting = new QGroupBox(QStringLiteral("Параметры сортировки поверхностей"));
    auto* sortingLayout = new QVBoxLayout(sorting);
    AddLabelled(sortingLayout,
                QStringLiteral("максимальный угол наклона предней поверхности относительно OZ"),
                EditGamma);
    AddLabelled(sortingLayout, QStringLiteral("максимальный задний угол в ИСК"), EditAlpha);
    sortingLayout->addWidget(CheckDiscardInt);

    auto* edge = new QGroupBox(QStringLiteral("Поиск режущей кромки"));
    auto* edgeLayout = new QVBoxLayout(edge);
    AddLabelled(edgeLayout, QStringLiteral("Минимальный угол между нормалями, °"),
                EditMinNormalAngle);
    AddLabelled(edgeLayout, QStringLiteral("Допуск совпадения точек, мм"), EditPointTolerance);

    auto* data = new QGroupBox(QStringLiteral("Данные"));
    auto* dataLayout = new QVBoxLayout(data);
    AddLabelled(dataLayout, QStringLiteral("точность вывода данных (знаков после запятой)"),
                EditTableAccu);
    dataLayout->addWidget(CheckMarkNegative);

    auto* layout = new QVBoxLayout(page);
    layout->addLayout(target);
    layout->addWidget(sorting);
    layout->addWidget(edge);
    layout->addWidget(data);
    layout->addStretch(1);
    return page;
}

QWidget* TSettingForm::CreateInterfacePage() {
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("PageInterface"));

    auto* table = new QGroupBox(QStringLiteral("Таблица и график"));
    CheckViewChart = MakeCheck(QStringLiteral("Отображать график"), "CheckViewChart");
    CheckSmartCursor =
        MakeCheck(QStringLiteral("Автоматически перемещать курсор на таблицу"), "CheckSmartCursor");
    CheckCustomTable =
        MakeCheck(QStringLiteral("Настраиваемые колонки таблицы"), "CheckCustomTable");
    auto* tableLayout = new QVBoxLayout(table);
    tableLayout->addWidget(CheckViewChart);
    tableLayout->addWidget(CheckSmartCursor);
    tableLayout->addWidget(CheckCustomTable);

    auto* buttStyle = new QGroupBox(QStringLiteral("Стиль кнопок"));
    buttStyle->setObjectName(QStringLiteral("RadioGroupButtStyle"));
    auto* buttLayout = new QVBoxLayout(buttStyle);
    GroupButtStyle = new QButtonGroup(this);
    const QString buttTexts[] = {QStringLiteral("По умолчанию"), QStringLiteral("Стандарт"),
                                 QStringLiteral("Плоские")};
    for (int i = 0; i < 3; ++i) {
        auto* radio = new QRadioButton(buttTexts[i]);
        radio->setObjectName(QStringLiteral("RadioButtStyle%1").arg(i));
        GroupButtStyle->addButton(radio, i);
        buttLayout->addWidget(radio);
    }

    auto* panelStyle = new QGroupBox(QStringLiteral("Стиль панелей"));
    panelStyle->setObjectName(QStringLiteral("RadioGroupPanelStyle"));
    auto* panelLayout = new QVBoxLayout(panelStyle);
    GroupPanelStyle = new QButtonGroup(this);
    const QString panelTexts[] = {QStringLiteral("Плоские"), QStringLiteral("Объёмные")};
    for (int i = 0; i < 2; ++i) {
        auto* radio = new QRadioButton(panelTexts[i]);
        radio->setObjectName(QStringLiteral("RadioPanelStyle%1").arg(i));
        GroupPanelStyle->addButton(radio, i);
        panelLayout->addWidget(radio);
    }
    panelLayout->addStretch(1);

    auto* styles = new QHBoxLayout;
    styles->addWidget(buttStyle);
    styles->addWidget(panelStyle);

    auto* files = new QGroupBox(QStringLiteral("Файлы"));
    CheckUsePath = MakeCheck(QStringLiteral("Использовать следующий путь к файлам по умолчанию"),
                             "CheckUsePath");
    ButtonEditPath = new QLineEdit;
    ButtonEditPath->setObjectName(QStringLiteral("ButtonEditPath"));
    ButtonBrowsePath = new QToolButton;
    ButtonBrowsePath->setObjectName(QStringLiteral("ButtonBrowsePath"));
    ButtonBrowsePath->setText(QStringLiteral("..."));
    ButtonBrowsePath->setToolTip(QStringLiteral("Выберите директорию по умолчанию"));
    connect(ButtonBrowsePath, &QToolButton::clicked, this, [this] { BrowsePath(); });
    connect(CheckUsePath, &QCheckBox::toggled, this, [this](bool on) {
        ButtonEditPath->setEnabled(on);
        ButtonBrowsePath->setEnabled(on);
    });
    auto* path = new QHBoxLayout;
    path->addWidget(ButtonEditPath, 1);
    path->addWidget(ButtonBrowsePath);
    auto* filesLayout = new QVBoxLayout(files);
    filesLayout->addWidget(CheckUsePath);
    filesLayout->addLayout(path);

    auto* layout = new QVBoxLayout(page);
    layout->addWidget(table);
    layout->addLayout(styles);
    layout->addWidget(files);
    layout->addStretch(1);
    return page;
}

void TSettingForm::Prepare(const TShellSettings& newProjects,
                           std::optional<model::TGeometrySettings> currentProject) {
    NewProjects = newProjects;
    CurrentProject = currentProject;
    Filling = true;
    ComboTarget->clear();
    ComboTarget->addItem(QStringLiteral("новым проектам"));
    if (CurrentProject) {
        ComboTarget->addItem(QStringLiteral("текущему проекту"));
    }
    ComboTarget->setCurrentIndex(0);
    Filling = false;
    ShowValues(NewProjects.Geometry, NewProjects, true);
}

void TSettingForm::ShowValues(const model::TGeometrySettings& geometry,
                              const TShellSettings& interface, bool withInterface) {
    Filling = true;
    EditGamma->SetText(NumberText(geometry.Gamma));
    EditAlpha->SetText(NumberText(geometry.Alpha));
    EditTableAccu->SetText(QString::number(geometry.TableAccuracy));
    EditMinNormalAngle->SetText(NumberText(geometry.MinNormalAngle));
    EditPointTolerance->SetText(NumberText(geometry.PointTolerance));
    CheckDiscardInt->setChecked(geometry.DiscardInt);
    CheckMarkNegative->setChecked(geometry.MarkNegative);
    if (withInterface) {
        CheckViewChart->setChecked(interface.ViewChart);
        CheckSmartCursor->setChecked(interface.SmartCursor);
        CheckCustomTable->setChecked(interface.CustomTable);
        const int style =
            interface.ButtStyle >= 0 && interface.ButtStyle <= 2 ? interface.ButtStyle : 0;
        GroupButtStyle->button(style)->setChecked(true);
        GroupPanelStyle->button(interface.FlatPanels ? 0 : 1)->setChecked(true);
        CheckUsePath->setChecked(interface.UsePath);
        ButtonEditPath->setText(interface.Path);
        ButtonEditPath->setEnabled(interface.UsePath);
        ButtonBrowsePath->setEnabled(interface.UsePath);
    }
    Filling = false;
}

void TSettingForm::RefillGeometry() {
    if (Filling) {
        return;
    }
    if (ComboTarget->currentIndex() == 1 && CurrentProject) {
        ShowValues(*CurrentProject, NewProjects, false);
    } else {
        ShowValues(NewProjects.Geometry, NewProjects, false);
    }
}

bool TSettingForm::AppliesToNewProjects() const {
    return ComboTarget->currentIndex() <= 0;
}

QString TSettingForm::NumberText(double value) const {
    return QString::fromStdString(base::FloatToStr(value, Separator));
}

bool TSettingForm::ReadNumber(const TSettingSpinEdit& edit, double& value) const {
    return base::StrToFloat(edit.text().toStdString(), Separator, value);
}

// A text that is not (yet) a number, such as a lone separator, is left alone while
// typing; closing the dialog with OK reports it.
void TSettingForm::GammaChanged() {
    double gamma = 0.0;
    if (Filling || Adjusting || EditGamma->text().isEmpty() || !ReadNumber(*EditGamma, gamma)) {
        return;
    }
    Adjusting = true;
    if (gamma > kAngleLimit) {
        DialogService.Beep();
        EditGamma->SetText(NumberText(kAngleLimit));
        gamma = kAngleLimit;
    }
    double alpha = 0.0;
    if (ReadNumber(*EditAlpha, alpha) && alpha + gamma > kAngleSum) {
        EditAlpha->SetText(NumberText(kAngleSum - gamma));
    }
    Adjusting = false;
}

void TSettingForm::AlphaChanged() {
    double alpha = 0.0;
    if (Filling || Adjusting || EditAlpha->text().isEmpty() || !ReadNumber(*EditAlpha, alpha)) {
        return;
    }
    Adjusting = true;
    if (alpha > kAngleLimit) {
        DialogService.Beep();
        EditAlpha->SetText(NumberText(kAngleLimit));
        alpha = kAngleLimit;
    }
    double gamma = 0.0;
    if (ReadNumber(*EditGamma, gamma) && alpha + gamma > kAngleSum) {
        EditGamma->SetText(NumberText(kAngleSum - alpha));
    }
    Adjusting = false;
}

void TSettingForm::TableAccuChanged() {
    std::int32_t accuracy = 0;
    if (Filling || Adjusting || EditTableAccu->text().isEmpty()) {
        return;
    }
    // Only digits get in, so a failing conversion is a number beyond 32 bits.
    const bool number = base::StrToInt(EditTableAccu->text().toStdString(), accuracy);
    if (!number || accuracy > kAccuracyLimit) {
        Adjusting = true;
        DialogService.Beep();
        EditTableAccu->SetText(QString::number(kAccuracyLimit));
        Adjusting = false;
    }
}

void TSettingForm::KeepWithin(TSettingSpinEdit& edit, double limit) {
    double value = 0.0;
    if (Filling || Adjusting || edit.text().isEmpty() || !ReadNumber(edit, value) ||
        value <= limit) {
        return;
    }
    Adjusting = true;
    DialogService.Beep();
    edit.SetText(NumberText(limit));
    Adjusting = false;
}

void TSettingForm::BrowsePath() {
    const QString folder = DialogService.FolderName(
        this, QStringLiteral("Выберите директорию по умолчанию"), ButtonEditPath->text());
    if (!folder.isEmpty()) {
        ButtonEditPath->setText(folder);
    }
}

bool TSettingForm::CollectValues(QString* problem) {
    TShellSettings result = NewProjects;
    bool ok = true;
    auto fail = [&](const QString& field, const QString& text) {
        if (ok && problem != nullptr) {
            *problem = QStringLiteral("%1: «%2» не является числом").arg(field, text);
        }
        ok = false;
    };
    double value = 0.0;
    if (ReadNumber(*EditGamma, value)) {
        result.Geometry.Gamma = value;
    } else {
        fail(QStringLiteral("максимальный угол наклона предней поверхности"), EditGamma->text());
    }
    if (ReadNumber(*EditAlpha, value)) {
        result.Geometry.Alpha = value;
    } else {
        fail(QStringLiteral("максимальный задний угол"), EditAlpha->text());
    }
    std::int32_t accuracy = 0;
    if (base::StrToInt(EditTableAccu->text().toStdString(), accuracy) && accuracy >= 0 &&
        accuracy <= kAccuracyLimit) {
        result.Geometry.TableAccuracy = accuracy;
    } else {
        fail(QStringLiteral("точность вывода данных"), EditTableAccu->text());
    }
    if (ReadNumber(*EditMinNormalAngle, value) && value >= 0.0 && value <= kMinNormalAngleLimit) {
        result.Geometry.MinNormalAngle = value;
    } else {
        fail(QStringLiteral("минимальный угол между нормалями"), EditMinNormalAngle->text());
    }
    if (ReadNumber(*EditPointTolerance, value) && value > 0.0 && value <= kPointToleranceLimit) {
        result.Geometry.PointTolerance = value;
    } else if (ReadNumber(*EditPointTolerance, value)) {
        if (ok && problem != nullptr) {
            *problem = QStringLiteral("допуск совпадения точек: должен быть больше нуля");
        }
        ok = false;
    } else {
        fail(QStringLiteral("допуск совпадения точек"), EditPointTolerance->text());
    }
    result.Geometry.DiscardInt = CheckDiscardInt->isChecked();
    result.Geometry.MarkNegative = CheckMarkNegative->isChecked();
    result.ViewChart = CheckViewChart->isChecked();
    result.SmartCursor = CheckSmartCursor->isChecked();
    result.CustomTable = CheckCustomTable->isChecked();
    result.ButtStyle = GroupButtStyle->checkedId() >= 0 ? GroupButtStyle->checkedId() : 0;
    result.FlatPanels = GroupPanelStyle->checkedId() == 0;
    result.UsePath = CheckUsePath->isChecked();
    result.Path = ButtonEditPath->text();
    Collected = result;
    return ok;
}

void TSettingForm::done(int result) {
    QString problem;
    const bool collected = CollectValues(&problem);
    if (result == QDialog::Accepted && !collected) {
        DialogService.Beep();
        DialogService.Error(this, QStringLiteral("Неверное значение"), problem);
        return;
    }
    QDialog::done(result);
}

}  // namespace tessarin::shell
