#include "base/language.h"

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <system_error>

namespace tessarin::base {

namespace {

std::atomic<TLanguage> Language{TLanguage::English};

// The Russian texts of the errors a file can meet, as a Russian system words them.
std::string_view RussianSystemError(int error) {
    switch (error) {
        case ENOENT:
            return "Нет такого файла или каталога";
        case EACCES:
            return "Отказано в доступе";
        case EPERM:
            return "Операция не позволена";
        case EISDIR:
            return "Это каталог";
        case ENOTDIR:
            return "Это не каталог";
        case ENOSPC:
            return "На устройстве не осталось свободного места";
        case EDQUOT:
            return "Превышена дисковая квота";
        case EROFS:
            return "Файловая система доступна только для чтения";
        case ELOOP:
            return "Слишком много уровней символических ссылок";
        case EEXIST:
            return "Файл существует";
        case EMFILE:
            return "Слишком много открытых файлов";
        case ENFILE:
            return "Слишком много открытых файлов в системе";
        case EIO:
            return "Ошибка ввода-вывода";
        case ENAMETOOLONG:
            return "Слишком длинное имя файла";
        case EFBIG:
            return "Файл слишком велик";
        case ENOMEM:
            return "Недостаточно памяти";
        case ESTALE:
            return "Файл был заменён другим";
        case EBUSY:
            return "Устройство или ресурс занято";
        case ETXTBSY:
            return "Текстовый файл занят";
        case EXDEV:
            return "Ссылка между разными устройствами";
        case EINVAL:
            return "Недопустимый аргумент";
        case EAGAIN:
            return "Ресурс временно недоступен";
        case ENXIO:
            return "Нет такого устройства или адреса";
        case ENODEV:
            return "Нет такого устройства";
        case EINTR:
            return "Прерван системный вызов";
        case EBADF:
            return "Неверный дескриптор файла";
        case EOVERFLOW:
            return "Значение слишком велико для типа данных";
        default:
            return {};
    }
}

}  // namespace

void SetMessageLanguage(TLanguage language) {
    Language.store(language, std::memory_order_relaxed);
}

TLanguage MessageLanguage() {
    return Language.load(std::memory_order_relaxed);
}

TLanguage LanguageOfLocale(std::string_view locale) {
    return locale.starts_with("ru") ? TLanguage::Russian : TLanguage::English;
}

TLanguage LanguageFromEnvironment() {
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(name);
        if (value != nullptr && *value != '\0') {
            return LanguageOfLocale(value);
        }
    }
    return TLanguage::English;
}

std::string_view Pick(std::string_view english, std::string_view russian) {
    return MessageLanguage() == TLanguage::Russian ? russian : english;
}

std::string SystemErrorText(int error) {
    if (MessageLanguage() == TLanguage::Russian) {
        if (const std::string_view text = RussianSystemError(error); !text.empty()) {
            return std::string(text);
        }
    }
    return std::system_category().message(error);
}

namespace detail {

std::string Fill(std::string_view pattern, std::span<const std::string> arguments) {
    std::string out;
    out.reserve(pattern.size() + 16 * arguments.size());
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const char c = pattern[i];
        if (c == '%' && i + 1 < pattern.size()) {
            const char next = pattern[i + 1];
            if (next == '%') {
                out += '%';
                ++i;
                continue;
            }
            if (next >= '1' && next <= '9' &&
                static_cast<std::size_t>(next - '1') < arguments.size()) {
                out += arguments[static_cast<std::size_t>(next - '1')];
                ++i;
                continue;
            }
        }
        out += c;
    }
    return out;
}

}  // namespace detail

}  // namespace tessarin::base
