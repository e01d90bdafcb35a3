// Dialogs for the GUI tests: questions are answered and file dialogs return names from
// queues the test fills beforehand, and every interaction is recorded with its kind,
// text and detail, so a test can say exactly which messages a command showed.
#pragma once

#include <QList>

#include <functional>

#include <QString>
#include <QStringList>

#include "document/dialogs.h"

namespace tessarin::test {

enum class TDialogKind { Beep, Warning, Error, Question, OpenFile, SaveFile, Modal, Folder };

struct TDialogRecord {
    TDialogKind Kind;
    QString Text;    // message or question text; the title of file dialogs
    QString Detail;  // the reason under a message; the folder or proposed name of a file dialog
    QString Filter;  // file dialogs only
    bool WithCancel = false;  // questions only
};

class TScriptedDialogs final : public document::TDialogs {
public:
    // Answers for the next questions, in order.
    void Answer(std::initializer_list<document::TAnswer> answers);
    // Names the next file dialogs return, in order; an empty name is a cancelled dialog.
    void ChooseFile(const QString& name);
    // Result of the next modal dialogs (QDialog::Accepted or Rejected), in order.
    void CloseModal(int result);
    // The next modal dialogs are handed to these, in order, instead of taking a queued
    // result: the function works the dialog's controls and returns the dialog's result.
    void WorkModal(std::function<int(QDialog&)> work);

    // Every interaction so far, in order.
    const QList<TDialogRecord>& Records() const { return Log; }
    // The records without beeps: what the user was shown or asked.
    QList<TDialogRecord> Shown() const;
    // "Warning: text" lines of the shown records, for readable comparisons.
    QStringList Transcript() const;
    // Interactions that arrived when nothing was queued for them (answered No or
    // cancelled) and answers left over; both mean the test's script was wrong.
    QStringList Unscripted() const;
    void Clear();

    void Beep() override;
    void Warning(QWidget* parent, const QString& text, const QString& detail) override;
    void Error(QWidget* parent, const QString& text, const QString& detail) override;
    document::TAnswer Question(QWidget* parent, const QString& text, bool withCancel) override;
    QString OpenFileName(QWidget* parent, const QString& title, const QString& filter,
                         const QString& folder) override;
    QString SaveFileName(QWidget* parent, const QString& title, const QString& filter,
                         const QString& proposed) override;
    // The folder browser takes its answer from the queue of ChooseFile.
    QString FolderName(QWidget* parent, const QString& title, const QString& folder) override;
    int RunModal(QDialog& dialog) override;

private:
    QString NextFile(const QString& what);

    QList<TDialogRecord> Log;
    QList<document::TAnswer> Answers;
    QStringList Files;
    QList<int> ModalResults;
    QList<std::function<int(QDialog&)>> ModalWork;
    QStringList Missing;
};

QString KindName(TDialogKind kind);

}  // namespace tessarin::test
