// What an exception that ended a command means to the user: the message shown and the
// exception's own text under it. A failed allocation (a huge model, a pathological
// search) is told apart from every other failure.
#pragma once

#include <QString>

namespace tessarin::shell {

struct TFailure {
    QString Text;  // "Недостаточно памяти для выполнения операции" or the general text
    QString Detail;  // the exception's what(); empty for an exception of no standard type
};

// The failure the exception being handled stands for. Only inside a catch block.
TFailure CurrentFailure();

}  // namespace tessarin::shell
