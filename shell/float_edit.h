// The numeric edit of the parameter panel: not a widget itself but a group of three
// widgets created inside a container: the field (a one-line edit, 35 x 21 pixels, sky
// blue), the spinner attached to its right edge and the caption 55 pixels right of and
// 3 pixels below the field's top-left corner.
//
// The field takes digits, Backspace, one minus sign and one decimal separator, each
// anywhere, and Ctrl+A chooses its whole text; every other character (letters, blanks,
// ".", the clipboard and undo shortcuts) is refused with a beep. Enter emits Accepted and
// Escape Cancelled. Leaving the field turns "-" or an empty text into "0". After every
// change of the text, typed, stepped or written by the program, a value above the maximum
// is replaced by the maximum and one below the minimum by the minimum (each replacement
// being a change of its own), and then Changed is emitted, synchronously. A clamp
// therefore emits Changed twice, both times for the bound. A text that is not a number
// ("5-", a lone separator) emits nothing: the field is marked (a red frame, the reason as
// its tool tip) and stays as typed until the user corrects it; nothing interrupts the
// typing.
#pragma once

#include <QObject>
#include <QString>

#include "shell/dialogs.h"

class QEvent;
class QLabel;
class QLineEdit;
class QToolButton;
class QWidget;

namespace tessarin::shell {

class TFloatEdit final : public QObject {
    Q_OBJECT

public:
    // Creates the field, the spinner and the caption inside `container`; refused keys
    // beep and unreadable texts are reported through `dialogs`.
    TFloatEdit(QWidget& container, TDialogs& dialogs, const QString& name = {});

    // 0 when the text is "-" or empty, else the text read as a number (0 too when the
    // text is not a number; ReadValue tells).
    double Value() const;
    // False, with `value` untouched, when the text is not a number.
    bool ReadValue(double& value) const;
    // The text reads as a number (the field is not marked).
    bool Valid() const;
    // Why the field is marked ("\"5-\" не является числом"); empty while it is valid.
    QString Problem() const;
    // The text := `value` in the general number form (15 significant digits, trailing
    // zeros dropped, the decimal separator in use). A text that differs is a change.
    void SetValue(double value);

    // The separator the field accepts and writes: ',' (the default) or '.'.
    void SetDecimalSeparator(char separator) { Separator = separator; }
    char DecimalSeparator() const { return Separator; }

    void SetCaption(const QString& text);
    // Field top := y, caption top := y + 3; field left := x, caption left := x + 55.
    // The spinner moves with the field.
    void SetTop(int y);
    void SetLeft(int x);
    // The bounds, whole numbers; setting them leaves the text as it is.
    void SetMin(int value) { Minimum = value; }
    void SetMax(int value) { Maximum = value; }
    int GetMin() const { return Minimum; }
    int GetMax() const { return Maximum; }
    // Shows or hides the field, the spinner and the caption together.
    void SetVisible(bool visible);
    bool IsVisible() const;

    // One spinner step up (`steps` > 0) or down: to the next whole number in that
    // direction, within the bounds. A text that is not a number is not stepped (beep).
    void Step(int steps);

    QLineEdit& Field() const { return *FieldEdit; }
    QWidget& Spinner() const { return *SpinnerBox; }
    QLabel& Caption() const { return *CaptionLabel; }

signals:
    // The text changed and reads as a value within the bounds (Value()).
    void Changed();
    // Enter in the field: the panel's OK.
    void Accepted();
    // Escape in the field: the panel's "Отмена".
    void Cancelled();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void TextChanged();
    void ReplaceText(const QString& text);
    // Whether a typed character may go in (Backspace, digits, one "-", one separator).
    bool Accepts(QChar character) const;
    void PlaceSpinner();
    void ShowProblem(const QString& problem);

    TDialogs& Dialogs;
    QLineEdit* FieldEdit = nullptr;
    QWidget* SpinnerBox = nullptr;
    QToolButton* UpButton = nullptr;
    QToolButton* DownButton = nullptr;
    QLabel* CaptionLabel = nullptr;
    int Minimum = 0;
    int Maximum = 100;
    char Separator = ',';
    QString CurrentProblem;
};

}  // namespace tessarin::shell
