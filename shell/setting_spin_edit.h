// The number fields of the settings dialog: a text field with spin buttons that lets
// through only digits, backspace and, where allowed, one decimal separator; any other
// printable key is refused with a beep. The spin buttons and the arrow keys step the
// value by one within 0..Maximum and write it in the general number form.
//
// Pasted and dropped text passes the same rule: it goes in only when the whole text
// still keeps it.
//
// The text is what counts: the dialog's rules watch it through OnChange and convert it
// themselves, so a field may hold a text that is not (yet) a number, such as ",".
#pragma once

#include <QAbstractSpinBox>
#include <QString>
#include <QValidator>

#include <functional>

#include "shell/dialogs.h"

namespace tessarin::shell {

class TSettingSpinEdit final : public QAbstractSpinBox {
public:
    // `separator` is accepted once when `allowSeparator`; 0 = no separator.
    TSettingSpinEdit(TDialogs& dialogs, int maximum, char separator, QWidget* parent = nullptr);

    void SetText(const QString& text);
    // Called after every change of the text, typed or set.
    std::function<void()> OnChange;
    // Called when the field is left (focus out, Return).
    std::function<void()> OnLeave;

    void stepBy(int steps) override;
    // Every change of the text, typed, pasted or dropped, passes the typing rule: digits
    // and at most one separator; a text that breaks it does not go in.
    QValidator::State validate(QString& input, int& position) const override;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    StepEnabled stepEnabled() const override;

private:
    TDialogs& DialogService;
    int Maximum;
    char Separator;
};

}  // namespace tessarin::shell
