#include "shell/failure.h"

#include <exception>
#include <new>

namespace tessarin::shell {

TFailure CurrentFailure() {
    try {
        throw;
    } catch (const std::bad_alloc& error) {
        return {QStringLiteral("Недостаточно памяти для выполнения операции"),
                QString::fromLocal8Bit(error.what())};
    } catch (const std::exception& error) {
        return {QStringLiteral("Ошибка при выполнении операции"),
                QString::fromLocal8Bit(error.what())};
    } catch (...) {
        return {QStringLiteral("Ошибка при выполнении операции"), {}};
    }
}

}  // namespace tessarin::shell
