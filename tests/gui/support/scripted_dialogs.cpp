#include "tests/gui/support/scripted_dialogs.h"

#include <QDialog>

namespace tessarin::test {

QString KindName(TDialogKind kind) {
    switch (kind) {
        case TDialogKind::Beep:
            return QStringLiteral("Beep");
        case TDialogKind::Warning:
            return QStringLiteral("Warning");
        case TDialogKind::Error:
            return QStringLiteral("Error");
        case TDialogKind::Question:
            return QStringLiteral("Question");
        case TDialogKind::OpenFile:
            return QStringLiteral("OpenFile");
        case TDialogKind::SaveFile:
            return QStringLiteral("SaveFile");
        case TDialogKind::Modal:
            return QStringLiteral("Modal");
        case TDialogKind::Folder:
            return QStringLiteral("Folder");
    }
    return {};
}

void TScriptedDialogs::Answer(std::initializer_list<document::TAnswer> answers) {
    for (const document::TAnswer answer : answers) {
        Answers.append(answer);
    }
}

void TScriptedDialogs::ChooseFile(const QString& name) {
    Files.append(name);
}

void TScriptedDialogs::CloseModal(int result) {
    ModalResults.append(result);
}

QList<TDialogRecord> TScriptedDialogs::Shown() const {
    QList<TDialogRecord> shown;
    for (const TDialogRecord& record : Log) {
        if (record.Kind != TDialogKind::Beep) {
            shown.append(record);
        }
    }
    return shown;
}

QStringList TScriptedDialogs::Transcript() const {
    QStringList lines;
    for (const TDialogRecord& record : Shown()) {
        lines.append(KindName(record.Kind) + QStringLiteral(": ") + record.Text);
    }
    return lines;
}

QStringList TScriptedDialogs::Unscripted() const {
    QStringList problems = Missing;
    for (const document::TAnswer answer : Answers) {
        problems.append(QStringLiteral("unused answer %1").arg(static_cast<int>(answer)));
    }
    for (const QString& file : Files) {
        problems.append(QStringLiteral("unused file name ") + file);
    }
    for (const int result : ModalResults) {
        problems.append(QStringLiteral("unused dialog result %1").arg(result));
    }
    if (!ModalWork.isEmpty()) {
        problems.append(QStringLiteral("unused dialog work"));
    }
    return problems;
}

void TScriptedDialogs::Clear() {
    Log.clear();
    Answers.clear();
    Files.clear();
    ModalResults.clear();
    ModalWork.clear();
    Missing.clear();
}

void TScriptedDialogs::Beep() {
    Log.append({TDialogKind::Beep, {}, {}, {}, false});
}

void TScriptedDialogs::Warning(QWidget*, const QString& text, const QString& detail) {
    Log.append({TDialogKind::Warning, text, detail, {}, false});
}

void TScriptedDialogs::Error(QWidget*, const QString& text, const QString& detail) {
    Log.append({TDialogKind::Error, text, detail, {}, false});
}

document::TAnswer TScriptedDialogs::Question(QWidget*, const QString& text, bool withCancel) {
    Log.append({TDialogKind::Question, text, {}, {}, withCancel});
    if (Answers.isEmpty()) {
        Missing.append(QStringLiteral("unanswered question: ") + text);
        return withCancel ? document::TAnswer::Cancel : document::TAnswer::No;
    }
    return Answers.takeFirst();
}

QString TScriptedDialogs::NextFile(const QString& what) {
    if (Files.isEmpty()) {
        Missing.append(QStringLiteral("no file name for ") + what);
        return {};
    }
    return Files.takeFirst();
}

QString TScriptedDialogs::OpenFileName(QWidget*, const QString& title, const QString& filter,
                                       const QString& folder) {
    Log.append({TDialogKind::OpenFile, title, folder, filter, false});
    return NextFile(title);
}

QString TScriptedDialogs::SaveFileName(QWidget*, const QString& title, const QString& filter,
                                       const QString& proposed) {
    Log.append({TDialogKind::SaveFile, title, proposed, filter, false});
    return NextFile(title);
}

QString TScriptedDialogs::FolderName(QWidget*, const QString& title, const QString& folder) {
    Log.append({TDialogKind::Folder, title, folder, {}, false});
    return NextFile(title);
}

void TScriptedDialogs::WorkModal(std::function<int(QDialog&)> work) {
    ModalWork.append(std::move(work));
}

int TScriptedDialogs::RunModal(QDialog& dialog) {
    Log.append({TDialogKind::Modal, dialog.windowTitle(), dialog.objectName(), {}, false});
    if (!ModalWork.isEmpty()) {
        // The work may have shown the dialog to click it; a closed modal dialog is hidden.
        const int result = ModalWork.takeFirst()(dialog);
        dialog.hide();
        return result;
    }
    if (ModalResults.isEmpty()) {
        Missing.append(QStringLiteral("no result for the dialog ") + dialog.windowTitle());
        return QDialog::Rejected;
    }
    return ModalResults.takeFirst();
}

}  // namespace tessarin::test
