// The program's real modal interactions: QMessageBox and QFileDialog behind the
// documents' dialogs interface.
#pragma once

#include <QString>

#include <functional>

#include "document/dialogs.h"

namespace tessarin::shell {

// The interface lives with the documents, which sit below the shell; the shell names
// it as its own.
using document::TAnswer;
using document::TDialogs;

// The real dialogs: QMessageBox and QFileDialog.
class TWidgetDialogs final : public TDialogs {
public:
    void Beep() override;
    void Warning(QWidget* parent, const QString& text, const QString& detail) override;
    void Error(QWidget* parent, const QString& text, const QString& detail) override;
    TAnswer Question(QWidget* parent, const QString& text, bool withCancel) override;
    QString OpenFileName(QWidget* parent, const QString& title, const QString& filter,
                         const QString& folder) override;
    QString SaveFileName(QWidget* parent, const QString& title, const QString& filter,
                         const QString& proposed) override;
    QString FolderName(QWidget* parent, const QString& title, const QString& folder) override;
    int RunModal(QDialog& dialog) override;
};

// Any dialogs, with what was active before each modal interaction given back after it.
// Closing a modal window hands the activation back to the main window, which gives the
// focus to the widget that last had it there, and that widget's document becomes the
// active one: without this, a message box could leave the user in another document than
// the one the command was chosen in. `remember` is called before each interaction and
// returns what puts the active document and its focus back; it runs right after the
// interaction, also when it ends in an exception.
class TRestoringDialogs final : public TDialogs {
public:
    using TRemember = std::function<std::function<void()>()>;

    TRestoringDialogs(TDialogs& inner, TRemember remember)
        : Inner(inner), Remember(std::move(remember)) {}

    void Beep() override { Inner.Beep(); }
    void Warning(QWidget* parent, const QString& text, const QString& detail = {}) override;
    void Error(QWidget* parent, const QString& text, const QString& detail = {}) override;
    TAnswer Question(QWidget* parent, const QString& text, bool withCancel = false) override;
    QString OpenFileName(QWidget* parent, const QString& title, const QString& filter,
                         const QString& folder) override;
    QString SaveFileName(QWidget* parent, const QString& title, const QString& filter,
                         const QString& proposed) override;
    QString FolderName(QWidget* parent, const QString& title, const QString& folder) override;
    int RunModal(QDialog& dialog) override;

private:
    template <typename TCall>
    auto Restoring(TCall&& call);

    TDialogs& Inner;
    TRemember Remember;
};

}  // namespace tessarin::shell
