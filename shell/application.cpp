#include "shell/application.h"

#include <QtDebug>

#include "shell/failure.h"

namespace tessarin::shell {

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool TApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        Report();
        return false;
    }
}

void TApplication::Report() {
    // The report's own message box runs events; one that throws again while it is up
    // is only logged, not reported inside the report.
    if (Reporting || !FailureHandler) {
        try {
            const TFailure failure = CurrentFailure();
            qWarning("%s: %s", qUtf8Printable(failure.Text), qUtf8Printable(failure.Detail));
        } catch (...) {
        }
        return;
    }
    Reporting = true;
    try {
        FailureHandler();
    } catch (...) {
    }
    Reporting = false;
}

}  // namespace tessarin::shell
