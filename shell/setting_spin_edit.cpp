#include "shell/setting_spin_edit.h"

#include <QKeyEvent>
#include <QLineEdit>

#include <algorithm>
#include <cmath>
#include <string>

#include "base/number_format.h"
#include "shell/dialogs.h"

namespace tessarin::shell {

TSettingSpinEdit::TSettingSpinEdit(TDialogs& dialogs, int maximum, char separator, QWidget* parent)
    : QAbstractSpinBox(parent), DialogService(dialogs), Maximum(maximum), Separator(separator) {
    setButtonSymbols(QAbstractSpinBox::UpDownArrows);
    setAccelerated(false);
    connect(lineEdit(), &QLineEdit::textChanged, this, [this] {
        if (OnChange) {
            OnChange();
        }
    });
    connect(this, &QAbstractSpinBox::editingFinished, this, [this] {
        if (OnLeave) {
            OnLeave();
        }
    });
}

void TSettingSpinEdit::SetText(const QString& text) {
    lineEdit()->setText(text);
}

void TSettingSpinEdit::keyPressEvent(QKeyEvent* event) {
    const QString text = event->text();
    const bool command = (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) != 0;
    if (!command && !text.isEmpty() && text.at(0).isPrint()) {
        bool accepted = true;
        for (const QChar c : text) {
            if (c.isDigit() && c.unicode() < 128) {
                continue;
            }
            // One separator: a second one is refused unless it replaces the first.
            if (Separator != 0 && c == QLatin1Char(Separator) &&
                (!lineEdit()->text().contains(c) || lineEdit()->selectedText().contains(c))) {
                continue;
            }
            accepted = false;
        }
        if (!accepted) {
            DialogService.Beep();
            event->accept();
            return;
        }
    }
    QAbstractSpinBox::keyPressEvent(event);
}

void TSettingSpinEdit::stepBy(int steps) {
    double value = 0.0;
    const std::string current = text().toStdString();
    if (!base::StrToFloat(current, Separator != 0 ? Separator : ',', value)) {
        value = 0.0;
    }
    // A fraction steps to the next whole number in the direction of the step.
    const double whole = steps > 0 ? std::floor(value) : std::ceil(value);
    const double next = std::clamp(whole + steps, 0.0, static_cast<double>(Maximum));
    SetText(QString::fromStdString(base::FloatToStr(next, Separator != 0 ? Separator : ',')));
    lineEdit()->selectAll();
}

QValidator::State TSettingSpinEdit::validate(QString& input, int& /*position*/) const {
    bool separatorSeen = false;
    for (const QChar c : input) {
        if (c.isDigit() && c.unicode() < 128) {
            continue;
        }
        if (Separator != 0 && c == QLatin1Char(Separator) && !separatorSeen) {
            separatorSeen = true;
            continue;
        }
        return QValidator::Invalid;
    }
    // Not-yet-numbers such as "," are the dialog's rules' business.
    return QValidator::Acceptable;
}

QAbstractSpinBox::StepEnabled TSettingSpinEdit::stepEnabled() const {
    return StepUpEnabled | StepDownEnabled;
}

}  // namespace tessarin::shell
