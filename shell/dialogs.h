// The program's real modal interactions: QMessageBox and QFileDialog behind the
// documents' dialogs interface.
#pragma once

#include <QString>

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

}  // namespace tessarin::shell
