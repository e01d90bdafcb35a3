// Every modal interaction a document window or the desktop program has with the user:
// message boxes, questions, file dialogs, the beep and the program's own modal dialogs.
// The program's main window supplies the real ones; GUI tests install a scripted
// implementation that answers questions and records messages without a person.
#pragma once

#include <QString>

class QDialog;
class QWidget;

namespace tessarin::document {

enum class TAnswer { Yes, No, Cancel };

class TDialogs {
public:
    virtual ~TDialogs() = default;

    virtual void Beep() = 0;
    // Warning icon, "OK", titled "Предупреждение"; `detail` (the core's reason) goes
    // under the fixed text.
    virtual void Warning(QWidget* parent, const QString& text, const QString& detail = {}) = 0;
    // Error icon, "OK", titled "Ошибка".
    virtual void Error(QWidget* parent, const QString& text, const QString& detail = {}) = 0;
    // Warning icon, "&Да" / "&Нет" (and "Отмена" when `withCancel`).
    virtual TAnswer Question(QWidget* parent, const QString& text, bool withCancel = false) = 0;
    // Empty when cancelled. `filter` in Qt's form ("Файлы Tessarin (*.tsf)").
    virtual QString OpenFileName(QWidget* parent, const QString& title, const QString& filter,
                                 const QString& folder) = 0;
    virtual QString SaveFileName(QWidget* parent, const QString& title, const QString& filter,
                                 const QString& proposed) = 0;
    // The folder browser, starting in `folder`; empty when cancelled.
    virtual QString FolderName(QWidget* parent, const QString& title, const QString& folder) = 0;
    // Shows a dialog of the program's own (the About box, the settings and the selection
    // dialogs) modally; the result is QDialog::Accepted or QDialog::Rejected.
    virtual int RunModal(QDialog& dialog) = 0;
};

}  // namespace tessarin::document
