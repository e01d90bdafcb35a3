#include "shell/float_edit.h"

#include <QEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPalette>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

#include "base/number_format.h"
#include "shell/dialogs.h"

namespace tessarin::shell {

namespace {

constexpr int kFieldWidth = 35;
constexpr int kFieldHeight = 21;
constexpr int kSpinnerWidth = 16;
constexpr int kCaptionOffsetX = 55;
constexpr int kCaptionOffsetY = 3;
const QColor kFieldColour(166, 202, 240);

QToolButton* MakeArrow(Qt::ArrowType arrow) {
    auto* button = new QToolButton;
    button->setArrowType(arrow);
    button->setAutoRepeat(true);
    // Stepping must not take the focus from the field: that would count as leaving it.
    button->setFocusPolicy(Qt::NoFocus);
    button->setFixedSize(kSpinnerWidth, kFieldHeight / 2);
    return button;
}

// A key that types a character into a one-line edit, as opposed to one that moves the
// cursor, deletes forward or changes the focus. Control combinations count: they are
// the clipboard and undo shortcuts, which the field does not take.
bool TypesCharacter(const QKeyEvent& key) {
    switch (key.key()) {
        case Qt::Key_Left:
        case Qt::Key_Right:
        case Qt::Key_Home:
        case Qt::Key_End:
        case Qt::Key_Delete:
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
        case Qt::Key_Shift:
        case Qt::Key_Control:
        case Qt::Key_Alt:
        case Qt::Key_Meta:
        case Qt::Key_AltGr:
        case Qt::Key_CapsLock:
        case Qt::Key_NumLock:
        case Qt::Key_Insert:
        case Qt::Key_PageUp:
        case Qt::Key_PageDown:
            return false;
        default:
            break;
    }
    if (key.key() >= Qt::Key_F1 && key.key() <= Qt::Key_F35) {
        return false;
    }
    if (key.modifiers() & Qt::AltModifier) {
        return false;  // menu access keys, not text
    }
    return !key.text().isEmpty() || (key.modifiers() & Qt::ControlModifier) ||
           key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter ||
           key.key() == Qt::Key_Escape || key.key() == Qt::Key_Backspace;
}

}  // namespace

TFloatEdit::TFloatEdit(QWidget& container, TDialogs& dialogs, const QString& name)
    : QObject(&container), Dialogs(dialogs) {
    setObjectName(name);

    FieldEdit = new QLineEdit(&container);
    FieldEdit->setObjectName(name + QStringLiteral("Field"));
    FieldEdit->setGeometry(0, 0, kFieldWidth, kFieldHeight);
    QPalette palette = FieldEdit->palette();
    palette.setColor(QPalette::Base, kFieldColour);
    FieldEdit->setPalette(palette);
    // Text reaches the field only through the key filter: no pasting from a context
    // menu, by dropping or from the X selection, no input method.
    FieldEdit->setContextMenuPolicy(Qt::NoContextMenu);
    FieldEdit->setAcceptDrops(false);
    FieldEdit->setAttribute(Qt::WA_InputMethodEnabled, false);
    FieldEdit->installEventFilter(this);
    connect(FieldEdit, &QLineEdit::textChanged, this, [this] { TextChanged(); });

    SpinnerBox = new QWidget(&container);
    SpinnerBox->setObjectName(name + QStringLiteral("Spinner"));
    auto* spinnerLayout = new QVBoxLayout(SpinnerBox);
    spinnerLayout->setContentsMargins(0, 0, 0, 0);
    spinnerLayout->setSpacing(0);
    UpButton = MakeArrow(Qt::UpArrow);
    UpButton->setObjectName(QStringLiteral("Up"));
    DownButton = MakeArrow(Qt::DownArrow);
    DownButton->setObjectName(QStringLiteral("Down"));
    spinnerLayout->addWidget(UpButton);
    spinnerLayout->addWidget(DownButton);
    connect(UpButton, &QToolButton::clicked, this, [this] { Step(1); });
    connect(DownButton, &QToolButton::clicked, this, [this] { Step(-1); });

    CaptionLabel = new QLabel(&container);
    CaptionLabel->setObjectName(name + QStringLiteral("Caption"));
    SetLeft(0);
    SetTop(0);
}

double TFloatEdit::Value() const {
    double value = 0.0;
    return ReadValue(value) ? value : 0.0;
}

bool TFloatEdit::ReadValue(double& value) const {
    const QString text = FieldEdit->text();
    if (text.isEmpty() || text == QStringLiteral("-")) {
        value = 0.0;
        return true;
    }
    return base::StrToFloat(text.toStdString(), Separator, value);
}

void TFloatEdit::SetValue(double value) {
    ReplaceText(QString::fromStdString(base::FloatToStr(value, Separator)));
}

void TFloatEdit::SetCaption(const QString& text) {
    CaptionLabel->setText(text);
    CaptionLabel->adjustSize();
}

void TFloatEdit::SetTop(int y) {
    FieldEdit->move(FieldEdit->x(), y);
    CaptionLabel->move(CaptionLabel->x(), y + kCaptionOffsetY);
    PlaceSpinner();
}

void TFloatEdit::SetLeft(int x) {
    FieldEdit->move(x, FieldEdit->y());
    CaptionLabel->move(x + kCaptionOffsetX, CaptionLabel->y());
    PlaceSpinner();
}

void TFloatEdit::PlaceSpinner() {
    SpinnerBox->setGeometry(FieldEdit->x() + kFieldWidth, FieldEdit->y(), kSpinnerWidth,
                            kFieldHeight);
}

void TFloatEdit::SetVisible(bool visible) {
    FieldEdit->setVisible(visible);
    SpinnerBox->setVisible(visible);
    CaptionLabel->setVisible(visible);
}

bool TFloatEdit::IsVisible() const {
    return !FieldEdit->isHidden();
}

void TFloatEdit::Step(int steps) {
    double value = 0.0;
    if (steps == 0 || !ReadValue(value)) {
        Dialogs.Beep();
        return;
    }
    // A fractional value goes to the next whole number in the direction of the step
    // (12,5 up gives 13, down 12); a whole one moves by the step.
    double next = steps > 0 ? std::floor(value) + steps : std::ceil(value) + steps;
    next = std::clamp(next, static_cast<double>(Minimum), static_cast<double>(Maximum));
    ReplaceText(QString::number(static_cast<long long>(next)));
}

void TFloatEdit::ReplaceText(const QString& text) {
    // QLineEdit emits textChanged for programmatic changes too, synchronously, so a
    // replacement made while a change is being handled runs its own handling first.
    FieldEdit->setText(text);
}

bool TFloatEdit::Valid() const {
    return CurrentProblem.isEmpty();
}

QString TFloatEdit::Problem() const {
    return CurrentProblem;
}

void TFloatEdit::ShowProblem(const QString& problem) {
    if (problem == CurrentProblem) {
        return;
    }
    CurrentProblem = problem;
    // A message box here would take the keyboard in the middle of typing "-5" as "5-"
    // on the way; the field says it instead, until the text reads.
    FieldEdit->setStyleSheet(problem.isEmpty()
                                 ? QString()
                                 : QStringLiteral("QLineEdit { border: 2px solid rgb(220, 0, 0);"
                                                  " background: rgb(166, 202, 240); }"));
    FieldEdit->setToolTip(problem);
}

void TFloatEdit::TextChanged() {
    const QString text = FieldEdit->text();
    double value = 0.0;
    if (!ReadValue(value)) {
        ShowProblem(QStringLiteral("\"%1\" не является числом").arg(text));
        return;
    }
    ShowProblem(QString());
    if (value > Maximum) {
        ReplaceText(QString::number(Maximum));
        value = Value();  // read again: the replacement has been handled meanwhile
    }
    if (value < Minimum) {
        ReplaceText(QString::number(Minimum));
    }
    emit Changed();
}

bool TFloatEdit::Accepts(QChar character) const {
    if (character.isDigit() && character.unicode() < 128) {
        return true;
    }
    const QString text = FieldEdit->text();
    if (character == QLatin1Char(Separator)) {
        return !text.contains(character);
    }
    if (character == QLatin1Char('-')) {
        return !text.contains(character);
    }
    return false;
}

bool TFloatEdit::eventFilter(QObject* watched, QEvent* event) {
    if (watched != FieldEdit) {
        return QObject::eventFilter(watched, event);
    }
    switch (event->type()) {
        case QEvent::KeyPress: {
            auto* key = static_cast<QKeyEvent*>(event);
            if (key->key() == Qt::Key_Up || key->key() == Qt::Key_Down) {
                Step(key->key() == Qt::Key_Up ? 1 : -1);
                return true;
            }
            if (!TypesCharacter(*key)) {
                return false;
            }
            if (key->matches(QKeySequence::SelectAll)) {
                return false;  // the line edit chooses its text
            }
            if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
                emit Accepted();
                return true;
            }
            if (key->key() == Qt::Key_Escape) {
                emit Cancelled();
                return true;
            }
            if (key->key() == Qt::Key_Backspace && !(key->modifiers() & Qt::ControlModifier)) {
                return false;
            }
            const QString text = key->text();
            const bool control = (key->modifiers() & Qt::ControlModifier) != 0;
            if (!control && text.size() == 1 && Accepts(text.front())) {
                return false;
            }
            Dialogs.Beep();
            return true;
        }
        case QEvent::FocusOut: {
            const QString text = FieldEdit->text();
            if (text.isEmpty() || text == QStringLiteral("-")) {
                ReplaceText(QStringLiteral("0"));
            }
            return false;
        }
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
            // The middle button pastes the X selection into a line edit.
            return static_cast<QMouseEvent*>(event)->button() == Qt::MiddleButton;
        default:
            return false;
    }
}

}  // namespace tessarin::shell
