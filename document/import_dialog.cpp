#include "document/import_dialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMetaObject>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QVBoxLayout>

#include <array>
#include <cmath>
#include <new>
#include <utility>
#include <vector>

#include "base/number_format.h"
#include "model/import_options.h"
#include "model/stl_import.h"

namespace tessarin::document {

namespace {

// The choices of the tool axis, in the list's order; the last is "вектор".
struct TAxisChoice {
    const char* Text;
    model::TVector3 Axis;
};
constexpr std::array<TAxisChoice, 6> kAxisChoices = {{
    {"+Z", {0.0, 0.0, 1.0}},
    {"\u2212Z", {0.0, 0.0, -1.0}},
    {"+X", {1.0, 0.0, 0.0}},
    {"\u2212X", {-1.0, 0.0, 0.0}},
    {"+Y", {0.0, 1.0, 0.0}},
    {"\u2212Y", {0.0, -1.0, 0.0}},
}};
constexpr int kVectorChoice = static_cast<int>(kAxisChoices.size());

constexpr std::array<model::TLengthUnit, 4> kUnits = {
    model::TLengthUnit::Millimetre, model::TLengthUnit::Inch, model::TLengthUnit::Metre,
    model::TLengthUnit::Micrometre};
const char* const kUnitTexts[] = {"мм", "дюйм", "м", "мкм"};

// Milliseconds a change of the choices waits for the next before its check starts, so
// that typing a number does not start a check per key.
constexpr int kCheckDelay = 150;

// Thrown from the progress of a check that a newer choice has made stale.
struct TAbandoned {};

class TAbandoningProgress final : public model::TProgress {
public:
    TAbandoningProgress(const std::atomic<int>& current, int mine) : Current(current), Mine(mine) {}
    void Start(std::string_view, int) override { Poll(); }
    void Step(int) override { Poll(); }
    void Finish() override {}

private:
    void Poll() const {
        if (Current.load() != Mine) {
            throw TAbandoned{};
        }
    }
    const std::atomic<int>& Current;
    int Mine;
};

std::optional<double> ReadNumber(const QLineEdit& edit) {
    double value = 0.0;
    if (!base::StrToFloat(edit.text().trimmed().toStdString(), base::kEitherSeparator, value) ||
        !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

int UnitIndex(model::TLengthUnit unit) {
    for (std::size_t i = 0; i < kUnits.size(); ++i) {
        if (kUnits[i] == unit) {
            return static_cast<int>(i);
        }
    }
    return 0;
}

int AxisIndex(const model::TVector3& axis) {
    for (std::size_t i = 0; i < kAxisChoices.size(); ++i) {
        if (kAxisChoices[i].Axis == axis) {
            return static_cast<int>(i);
        }
    }
    return kVectorChoice;
}

}  // namespace

QString LengthUnitText(model::TLengthUnit unit) {
    return QString::fromUtf8(kUnitTexts[UnitIndex(unit)]);
}

QString ToolAxisText(const model::TVector3& axis, char decimalSeparator) {
    const int index = AxisIndex(axis);
    if (index < kVectorChoice) {
        return QString::fromUtf8(kAxisChoices.at(static_cast<std::size_t>(index)).Text);
    }
    auto number = [&](double v) {
        return QString::fromStdString(base::FloatToStr(v, decimalSeparator));
    };
    return QStringLiteral("(%1; %2; %3)").arg(number(axis.x), number(axis.y), number(axis.z));
}

TImportDialog::TImportDialog(std::shared_ptr<const model::TSurface> polygons, std::string name,
                             const QString& source, const model::TImportOptions& start,
                             char decimalSeparator, QWidget* parent)
    : QDialog(parent),
      Polygons(std::move(polygons)),
      Name(std::move(name)),
      Separator(decimalSeparator) {
    setObjectName(QStringLiteral("ImportDialog"));
    setWindowTitle(QStringLiteral("Параметры импорта"));

    auto* sourceLabel = new QLabel(source);
    sourceLabel->setObjectName(QStringLiteral("LabelSource"));
    sourceLabel->setWordWrap(true);

    auto* frame = new QGroupBox(QStringLiteral("Система координат инструмента"));
    auto* grid = new QGridLayout(frame);
    ComboUnit = new QComboBox;
    ComboUnit->setObjectName(QStringLiteral("ComboUnit"));
    for (const char* text : kUnitTexts) {
        ComboUnit->addItem(QString::fromUtf8(text));
    }
    grid->addWidget(new QLabel(QStringLiteral("Единицы файла:")), 0, 0);
    grid->addWidget(ComboUnit, 0, 1);

    ComboAxis = new QComboBox;
    ComboAxis->setObjectName(QStringLiteral("ComboAxis"));
    for (const TAxisChoice& choice : kAxisChoices) {
        ComboAxis->addItem(QString::fromUtf8(choice.Text));
    }
    ComboAxis->addItem(QStringLiteral("вектор"));
    grid->addWidget(new QLabel(QStringLiteral("Ось инструмента в файле:")), 1, 0);
    grid->addWidget(ComboAxis, 1, 1);
    auto* axisRow = new QHBoxLayout;
    const char* const axisNames[] = {"EditAxisX", "EditAxisY", "EditAxisZ"};
    const char* const originNames[] = {"EditOriginX", "EditOriginY", "EditOriginZ"};
    const char* const coordinates[] = {"X", "Y", "Z"};
    for (int i = 0; i < 3; ++i) {
        EditAxis[i] = new QLineEdit;
        EditAxis[i]->setObjectName(QString::fromLatin1(axisNames[i]));
        EditAxis[i]->setFixedWidth(70);
        axisRow->addWidget(new QLabel(QString::fromLatin1(coordinates[i])));
        axisRow->addWidget(EditAxis[i]);
    }
    axisRow->addStretch(1);
    grid->addLayout(axisRow, 2, 1);

    grid->addWidget(new QLabel(QStringLiteral("Начало координат:")), 3, 0, Qt::AlignTop);
    GroupOrigin = new QButtonGroup(this);
    auto* originBox = new QVBoxLayout;
    const QString originTexts[] = {QStringLiteral("как в файле"),
                                   QStringLiteral("центр габаритов поперёк оси"),
                                   QStringLiteral("точка (в единицах файла):")};
    const char* const radioNames[] = {"RadioOriginKeep", "RadioOriginCenter", "RadioOriginPoint"};
    for (int i = 0; i < 3; ++i) {
        auto* radio = new QRadioButton(originTexts[i]);
        radio->setObjectName(QString::fromLatin1(radioNames[i]));
        GroupOrigin->addButton(radio, i);
        originBox->addWidget(radio);
    }
    auto* originRow = new QHBoxLayout;
    for (int i = 0; i < 3; ++i) {
        EditOrigin[i] = new QLineEdit;
        EditOrigin[i]->setObjectName(QString::fromLatin1(originNames[i]));
        EditOrigin[i]->setFixedWidth(70);
        originRow->addWidget(new QLabel(QString::fromLatin1(coordinates[i])));
        originRow->addWidget(EditOrigin[i]);
    }
    originRow->addStretch(1);
    originBox->addLayout(originRow);
    grid->addLayout(originBox, 3, 1);
    grid->setColumnStretch(1, 1);

    auto* repairs = new QGroupBox(QStringLiteral("Исправления"));
    auto* repairsLayout = new QVBoxLayout(repairs);
    CheckRepairNormals =
        new QCheckBox(QStringLiteral("исправлять нормали (нулевые, не числа, не единичной длины)"));
    CheckRepairNormals->setObjectName(QStringLiteral("CheckRepairNormals"));
    CheckKeepDuplicates = new QCheckBox(QStringLiteral("сохранять повторные грани"));
    CheckKeepDuplicates->setObjectName(QStringLiteral("CheckKeepDuplicates"));
    repairsLayout->addWidget(CheckRepairNormals);
    repairsLayout->addWidget(CheckKeepDuplicates);

    auto* check = new QGroupBox(QStringLiteral("Проверка модели"));
    auto* checkLayout = new QGridLayout(check);
    TextCheck = new QPlainTextEdit;
    TextCheck->setObjectName(QStringLiteral("TextCheck"));
    TextCheck->setReadOnly(true);
    TextCheck->setMinimumHeight(180);
    checkLayout->addWidget(TextCheck, 0, 0, 1, 2);
    LabelSuggestUnit = new QLabel;
    LabelSuggestUnit->setObjectName(QStringLiteral("LabelSuggestUnit"));
    LabelSuggestUnit->setWordWrap(true);
    ButtonApplyUnit = new QPushButton(QStringLiteral("Применить"));
    ButtonApplyUnit->setObjectName(QStringLiteral("ButtonApplyUnit"));
    ButtonApplyUnit->setAutoDefault(false);
    LabelSuggestAxis = new QLabel;
    LabelSuggestAxis->setObjectName(QStringLiteral("LabelSuggestAxis"));
    LabelSuggestAxis->setWordWrap(true);
    ButtonApplyAxis = new QPushButton(QStringLiteral("Применить"));
    ButtonApplyAxis->setObjectName(QStringLiteral("ButtonApplyAxis"));
    ButtonApplyAxis->setAutoDefault(false);
    checkLayout->addWidget(LabelSuggestUnit, 1, 0);
    checkLayout->addWidget(ButtonApplyUnit, 1, 1);
    checkLayout->addWidget(LabelSuggestAxis, 2, 0);
    checkLayout->addWidget(ButtonApplyAxis, 2, 1);
    checkLayout->setColumnStretch(0, 1);

    auto* buttons = new QDialogButtonBox;
    ButtonOK = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    ButtonOK->setObjectName(QStringLiteral("ButtonOK"));
    ButtonOK->setDefault(true);
    QPushButton* cancel =
        buttons->addButton(QStringLiteral("Отмена"), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("ButtonCancel"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(sourceLabel);
    layout->addWidget(frame);
    layout->addWidget(repairs);
    layout->addWidget(check, 1);
    layout->addWidget(buttons);
    resize(560, 640);

    Delay = new QTimer(this);
    Delay->setSingleShot(true);
    Delay->setInterval(kCheckDelay);
    connect(Delay, &QTimer::timeout, this, [this] { StartCheck(); });
    connect(ComboUnit, &QComboBox::currentIndexChanged, this, [this] { ChoicesChanged(); });
    connect(ComboAxis, &QComboBox::currentIndexChanged, this, [this] { ChoicesChanged(); });
    connect(GroupOrigin, &QButtonGroup::idToggled, this, [this] { ChoicesChanged(); });
    for (QLineEdit* edit :
         {EditAxis[0], EditAxis[1], EditAxis[2], EditOrigin[0], EditOrigin[1], EditOrigin[2]}) {
        connect(edit, &QLineEdit::textChanged, this, [this] { ChoicesChanged(); });
    }
    for (QCheckBox* box : {CheckRepairNormals, CheckKeepDuplicates}) {
        connect(box, &QCheckBox::toggled, this, [this] { ChoicesChanged(); });
    }
    connect(ButtonApplyUnit, &QPushButton::clicked, this, [this] { ApplySuggestedUnit(); });
    connect(ButtonApplyAxis, &QPushButton::clicked, this, [this] { ApplySuggestedAxis(); });

    SetOptions(start);
}

TImportDialog::~TImportDialog() {
    StopWorker();
}

QString TImportDialog::NumberText(double value) const {
    return QString::fromStdString(base::FloatToStr(value, Separator));
}

void TImportDialog::SetOptions(const model::TImportOptions& options) {
    Filling = true;
    ComboUnit->setCurrentIndex(UnitIndex(options.Unit));
    ComboAxis->setCurrentIndex(AxisIndex(options.Axis));
    const double axis[] = {options.Axis.x, options.Axis.y, options.Axis.z};
    const double point[] = {options.OriginPoint.x, options.OriginPoint.y, options.OriginPoint.z};
    for (int i = 0; i < 3; ++i) {
        EditAxis[i]->setText(NumberText(axis[i]));
        EditOrigin[i]->setText(NumberText(point[i]));
    }
    GroupOrigin->button(static_cast<int>(options.Origin))->setChecked(true);
    CheckRepairNormals->setChecked(options.RepairNormals);
    CheckKeepDuplicates->setChecked(options.KeepDuplicates);
    Filling = false;
    ChoicesChanged();
}

std::optional<model::TImportOptions> TImportDialog::Options() const {
    model::TImportOptions options;
    options.Unit = kUnits.at(static_cast<std::size_t>(std::max(ComboUnit->currentIndex(), 0)));
    const int axisChoice = ComboAxis->currentIndex();
    if (axisChoice >= 0 && axisChoice < kVectorChoice) {
        options.Axis = kAxisChoices.at(static_cast<std::size_t>(axisChoice)).Axis;
    } else {
        const std::optional<double> x = ReadNumber(*EditAxis[0]);
        const std::optional<double> y = ReadNumber(*EditAxis[1]);
        const std::optional<double> z = ReadNumber(*EditAxis[2]);
        if (!x || !y || !z) {
            return std::nullopt;
        }
        options.Axis = {*x, *y, *z};
        if (!model::AxisTurn(options.Axis)) {
            return std::nullopt;
        }
    }
    options.Origin = static_cast<model::TOriginChoice>(std::max(GroupOrigin->checkedId(), 0));
    if (options.Origin == model::TOriginChoice::Point) {
        const std::optional<double> x = ReadNumber(*EditOrigin[0]);
        const std::optional<double> y = ReadNumber(*EditOrigin[1]);
        const std::optional<double> z = ReadNumber(*EditOrigin[2]);
        if (!x || !y || !z) {
            return std::nullopt;
        }
        options.OriginPoint = {*x, *y, *z};
    }
    options.RepairNormals = CheckRepairNormals->isChecked();
    options.KeepDuplicates = CheckKeepDuplicates->isChecked();
    return options;
}

void TImportDialog::ChoicesChanged() {
    if (Filling) {
        return;
    }
    const bool vector = ComboAxis->currentIndex() == kVectorChoice;
    const bool point = GroupOrigin->checkedId() == static_cast<int>(model::TOriginChoice::Point);
    // A field that holds no number is framed red.
    for (int i = 0; i < 3; ++i) {
        EditAxis[i]->setEnabled(vector);
        EditOrigin[i]->setEnabled(point);
        for (QLineEdit* edit : {EditAxis[i], EditOrigin[i]}) {
            const bool bad = edit->isEnabled() && !ReadNumber(*edit);
            edit->setStyleSheet(bad ? QStringLiteral("QLineEdit { border: 1px solid red; }")
                                    : QString());
        }
    }
    // Whatever the worker is doing is for older choices now.
    ++Generation;
    CurrentCheck.reset();
    CurrentFailure.clear();
    Checking = true;
    if (!Options()) {
        Checking = false;
        Delay->stop();
        CurrentFailure = vector && ReadNumber(*EditAxis[0]) && ReadNumber(*EditAxis[1]) &&
                                 ReadNumber(*EditAxis[2])
                             ? QStringLiteral("Вектор оси инструмента не может быть нулевым")
                             : QStringLiteral("Поле, обведённое красным, не является числом");
    } else {
        Delay->start();
    }
    ShowSummary();
}

void TImportDialog::StopWorker() {
    ++Generation;
    if (Worker.joinable()) {
        Worker.join();
    }
}

void TImportDialog::StartCheck() {
    const std::optional<model::TImportOptions> options = Options();
    if (!options) {
        return;
    }
    // The old worker gives up at its next progress step. It is not waited for here, which
    // could hold the window for as long as a step of a large model takes: the check starts
    // a little later instead, so that there is only ever one copy of the model checked.
    if (Worker.joinable() && !WorkerDone.load()) {
        Delay->start();
        return;
    }
    StopWorker();
    const int mine = Generation.load();
    WorkerDone = false;
    Worker = std::thread([this, mine, options = *options, polygons = Polygons] {
        struct TDone {
            std::atomic<bool>& Flag;
            ~TDone() { Flag = true; }
        } done{WorkerDone};
        TOutcome outcome;
        outcome.Generation = mine;
        try {
            TAbandoningProgress progress(Generation, mine);
            const model::TResult checked =
                model::CheckPolygons(*polygons, Name, options, outcome.Check, progress);
            outcome.Ok = checked.Ok();
            outcome.Reason = QString::fromStdString(checked.Reason());
        } catch (const TAbandoned&) {
            return;
        } catch (const std::bad_alloc&) {
            outcome.Reason = QStringLiteral("Недостаточно памяти для проверки модели");
        } catch (const std::exception& e) {
            outcome.Reason = QString::fromLocal8Bit(e.what());
        }
        {
            const std::lock_guard<std::mutex> lock(PendingLock);
            Pending = std::move(outcome);
        }
        // The destructor joins this thread before the dialog goes, so the dialog is
        // still there to receive the call.
        QMetaObject::invokeMethod(
            this, [this] { CollectOutcome(); }, Qt::QueuedConnection);
    });
}

void TImportDialog::CollectOutcome() {
    std::optional<TOutcome> outcome;
    {
        const std::lock_guard<std::mutex> lock(PendingLock);
        outcome.swap(Pending);
    }
    if (!outcome || outcome->Generation != Generation.load() || !Checking) {
        return;
    }
    Checking = false;
    if (outcome->Ok) {
        CurrentCheck = outcome->Check;
    } else {
        CurrentFailure =
            QStringLiteral("Импорт с этими параметрами невозможен: ") + outcome->Reason;
    }
    ShowSummary();
}

void TImportDialog::WaitForCheck() {
    while (Delay->isActive()) {
        Delay->stop();
        if (Worker.joinable() && !WorkerDone.load()) {
            Worker.join();
        }
        StartCheck();
    }
    if (Worker.joinable()) {
        Worker.join();
    }
    CollectOutcome();
}

void TImportDialog::ShowSummary() {
    QString text;
    if (Checking) {
        text = QStringLiteral("Проверка модели...");
    } else if (CurrentCheck) {
        QStringList lines;
        for (const std::string& line : model::ModelCheckLines(*CurrentCheck, Separator)) {
            lines << QString::fromStdString(line);
        }
        text = lines.join(QLatin1Char('\n'));
    } else {
        text = CurrentFailure;
    }
    TextCheck->setPlainText(text);

    const std::optional<model::TLengthUnit> unit =
        CurrentCheck ? CurrentCheck->SuggestedUnit : std::nullopt;
    LabelSuggestUnit->setText(QStringLiteral("Предлагаемые единицы файла: ") +
                              (unit ? LengthUnitText(*unit) : QStringLiteral("нет")));
    ButtonApplyUnit->setEnabled(unit.has_value());
    const std::optional<model::TVector3> axis =
        CurrentCheck ? CurrentCheck->SuggestedAxis : std::nullopt;
    const QString axisText = axis ? ToolAxisText(*axis, Separator) : QStringLiteral("нет");
    LabelSuggestAxis->setText(QStringLiteral("Предлагаемая ось инструмента в файле: ") + axisText);
    ButtonApplyAxis->setEnabled(axis.has_value());
    ButtonOK->setEnabled(Options().has_value() && (Checking || CurrentCheck.has_value()));
}

QString TImportDialog::Summary() const {
    return TextCheck->toPlainText();
}

void TImportDialog::ApplySuggestedUnit() {
    if (CurrentCheck && CurrentCheck->SuggestedUnit) {
        ComboUnit->setCurrentIndex(UnitIndex(*CurrentCheck->SuggestedUnit));
    }
}

void TImportDialog::ApplySuggestedAxis() {
    if (!CurrentCheck || !CurrentCheck->SuggestedAxis) {
        return;
    }
    const model::TVector3 axis = *CurrentCheck->SuggestedAxis;
    Filling = true;
    const double components[] = {axis.x, axis.y, axis.z};
    for (int i = 0; i < 3; ++i) {
        EditAxis[i]->setText(NumberText(components[i]));
    }
    ComboAxis->setCurrentIndex(AxisIndex(axis));
    Filling = false;
    ChoicesChanged();
}

}  // namespace tessarin::document
