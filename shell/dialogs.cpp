#include "shell/dialogs.h"

#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>

namespace tessarin::shell {

namespace {

const QString kWarningTitle = QStringLiteral("Предупреждение");
const QString kErrorTitle = QStringLiteral("Ошибка");

void ShowMessage(QWidget* parent, QMessageBox::Icon icon, const QString& title, const QString& text,
                 const QString& detail) {
    QMessageBox box(icon, title, text, QMessageBox::NoButton, parent);
    // The core's reason sits right under the fixed text, not behind a "details" button:
    // it is what tells the user which line of which file is wrong.
    box.setInformativeText(detail);
    QPushButton* ok = box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
    box.setDefaultButton(ok);
    box.setEscapeButton(ok);
    box.exec();
}

// "Файлы Tessarin (*.tsf)" -> "tsf": the extension a typed name without one is given.
QString DefaultSuffix(const QString& filter) {
    static const QRegularExpression pattern(QStringLiteral("\\(\\*\\.([^ );]+)"));
    const QRegularExpressionMatch match = pattern.match(filter);
    return match.hasMatch() ? match.captured(1) : QString();
}

}  // namespace

void TWidgetDialogs::Beep() {
    QApplication::beep();
}

void TWidgetDialogs::Warning(QWidget* parent, const QString& text, const QString& detail) {
    ShowMessage(parent, QMessageBox::Warning, kWarningTitle, text, detail);
}

void TWidgetDialogs::Error(QWidget* parent, const QString& text, const QString& detail) {
    ShowMessage(parent, QMessageBox::Critical, kErrorTitle, text, detail);
}

TAnswer TWidgetDialogs::Question(QWidget* parent, const QString& text, bool withCancel) {
    QMessageBox box(QMessageBox::Warning, kWarningTitle, text, QMessageBox::NoButton, parent);
    QPushButton* yes = box.addButton(QStringLiteral("&Да"), QMessageBox::YesRole);
    QPushButton* no = box.addButton(QStringLiteral("&Нет"), QMessageBox::NoRole);
    QPushButton* cancel = nullptr;
    if (withCancel) {
        cancel = box.addButton(QStringLiteral("Отмена"), QMessageBox::RejectRole);
    }
    box.setDefaultButton(yes);
    // Closing the box with Escape or its title-bar button is the most cautious answer.
    box.setEscapeButton(cancel != nullptr ? cancel : no);
    box.exec();
    const QAbstractButton* clicked = box.clickedButton();
    if (clicked == yes) {
        return TAnswer::Yes;
    }
    if (clicked == no) {
        return TAnswer::No;
    }
    return withCancel ? TAnswer::Cancel : TAnswer::No;
}

QString TWidgetDialogs::OpenFileName(QWidget* parent, const QString& title, const QString& filter,
                                     const QString& folder) {
    QFileDialog dialog(parent, title, folder, filter);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setDefaultSuffix(DefaultSuffix(filter));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return {};
    }
    return dialog.selectedFiles().constFirst();
}

QString TWidgetDialogs::SaveFileName(QWidget* parent, const QString& title, const QString& filter,
                                     const QString& proposed) {
    // A proposal with a folder ("/home/u/cutter.tsf") opens there; a bare name
    // ("Untitled1") where the platform puts it.
    const QFileInfo proposal(proposed);
    const bool hasFolder = proposed.contains(QLatin1Char('/'));
    QFileDialog dialog(parent, title, hasFolder ? proposal.absolutePath() : QString(), filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(DefaultSuffix(filter));
    dialog.selectFile(hasFolder ? proposal.fileName() : proposed);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return {};
    }
    return dialog.selectedFiles().constFirst();
}

QString TWidgetDialogs::FolderName(QWidget* parent, const QString& title, const QString& folder) {
    return QFileDialog::getExistingDirectory(parent, title, folder);
}

int TWidgetDialogs::RunModal(QDialog& dialog) {
    return dialog.exec();
}

// ---- restoring the active document ----------------------------------------------------

template <typename TCall>
auto TRestoringDialogs::Restoring(TCall&& call) {
    const std::function<void()> restore = Remember ? Remember() : std::function<void()>();
    struct TRestore {
        const std::function<void()>& Run;
        ~TRestore() {
            // Only the focus is at stake here: a failure to give it back must not turn
            // into a second exception while the interaction's own unwinds.
            try {
                if (Run) {
                    Run();
                }
            } catch (...) {
            }
        }
    } guard{restore};
    return call();
}

void TRestoringDialogs::Warning(QWidget* parent, const QString& text, const QString& detail) {
    Restoring([&] { Inner.Warning(parent, text, detail); });
}

void TRestoringDialogs::Error(QWidget* parent, const QString& text, const QString& detail) {
    Restoring([&] { Inner.Error(parent, text, detail); });
}

TAnswer TRestoringDialogs::Question(QWidget* parent, const QString& text, bool withCancel) {
    return Restoring([&] { return Inner.Question(parent, text, withCancel); });
}

QString TRestoringDialogs::OpenFileName(QWidget* parent, const QString& title,
                                        const QString& filter, const QString& folder) {
    return Restoring([&] { return Inner.OpenFileName(parent, title, filter, folder); });
}

QString TRestoringDialogs::SaveFileName(QWidget* parent, const QString& title,
                                        const QString& filter, const QString& proposed) {
    return Restoring([&] { return Inner.SaveFileName(parent, title, filter, proposed); });
}

QString TRestoringDialogs::FolderName(QWidget* parent, const QString& title,
                                      const QString& folder) {
    return Restoring([&] { return Inner.FolderName(parent, title, folder); });
}

int TRestoringDialogs::RunModal(QDialog& dialog) {
    return Restoring([&] { return Inner.RunModal(dialog); });
}

}  // namespace tessarin::shell
