// Dialogs for GUI tests that must work inside a modal dialog of the program's own (the
// selection dialog): a queued handler gets the dialog instead of a fixed result. It
// typically shows the dialog, fills it, clicks its buttons and returns its result;
// everything else goes to the scripted dialogs, which record it.
#pragma once

#include <QDialog>
#include <QList>

#include <functional>

#include "tests/gui/support/scripted_dialogs.h"

namespace tessarin::test {

class TModalDialogs final : public shell::TDialogs {
public:
    using THandler = std::function<int(QDialog&)>;

    explicit TModalDialogs(TScriptedDialogs& script) : Script(script) {}

    // The next modal dialog is handed to `handler`, whose return value is its result.
    void OnModal(THandler handler) { Handlers.append(std::move(handler)); }
    int PendingHandlers() const { return static_cast<int>(Handlers.size()); }

    void Beep() override { Script.Beep(); }
    void Warning(QWidget* parent, const QString& text, const QString& detail) override {
        Script.Warning(parent, text, detail);
    }
    void Error(QWidget* parent, const QString& text, const QString& detail) override {
        Script.Error(parent, text, detail);
    }
    shell::TAnswer Question(QWidget* parent, const QString& text, bool withCancel) override {
        return Script.Question(parent, text, withCancel);
    }
    QString OpenFileName(QWidget* parent, const QString& title, const QString& filter,
                         const QString& folder) override {
        return Script.OpenFileName(parent, title, filter, folder);
    }
    QString SaveFileName(QWidget* parent, const QString& title, const QString& filter,
                         const QString& proposed) override {
        return Script.SaveFileName(parent, title, filter, proposed);
    }
    int RunModal(QDialog& dialog) override {
        if (Handlers.isEmpty()) {
            return Script.RunModal(dialog);
        }
        const THandler handler = Handlers.takeFirst();
        const int result = handler(dialog);
        dialog.hide();
        return result;
    }

private:
    TScriptedDialogs& Script;
    QList<THandler> Handlers;
};

}  // namespace tessarin::test
