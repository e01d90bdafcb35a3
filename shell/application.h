// The program's application object: the last line of defence against an exception
// that leaves an event handler. The commands report their own failures (see
// TMainForm::RunGuarded); whatever escapes another way (a paint event, a timer, a
// drop) is caught here, reported through the failure handler and the event is
// dropped, so the program and its documents go on.
#pragma once

#include <QApplication>

#include <functional>

namespace tessarin::shell {

class TApplication final : public QApplication {
    Q_OBJECT

public:
    TApplication(int& argc, char** argv);

    // Called inside the catch block of an escaped exception (CurrentFailure tells
    // which); without one the failure goes to the log.
    void SetFailureHandler(std::function<void()> handler) { FailureHandler = std::move(handler); }

    bool notify(QObject* receiver, QEvent* event) override;

private:
    void Report();

    std::function<void()> FailureHandler;
    bool Reporting = false;
};

}  // namespace tessarin::shell
