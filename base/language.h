// The language of the reasons the core gives: English unless the program says otherwise
// at start-up (the desktop always Russian, the batch tool as the locale asks). Every
// reason is written where it arises in both languages side by side:
//     return TResult::Failure(base::Say("%1: the file is empty", "%1: файл пуст", name));
#pragma once

#include <array>
#include <concepts>
#include <span>
#include <string>
#include <string_view>

namespace tessarin::base {

enum class TLanguage { English, Russian };

// Meant to be set once, before any work starts; reading it is safe from any thread.
void SetMessageLanguage(TLanguage language);
TLanguage MessageLanguage();

// The language a locale name asks for ("ru_RU.UTF-8", "ru" are Russian; anything else,
// the empty name and "C" included, is English).
TLanguage LanguageOfLocale(std::string_view locale);

// The language the environment asks for, the way the C library picks its message texts:
// the first of LC_ALL, LC_MESSAGES and LANG that is set and not empty.
TLanguage LanguageFromEnvironment();

// Of two texts, the one in the message language.
std::string_view Pick(std::string_view english, std::string_view russian);

// The text of a system error number (errno) in the message language. In Russian the
// usual file errors have their own texts; the rare rest keep the system's text.
std::string SystemErrorText(int error);

namespace detail {

inline std::string SayArgument(std::string_view text) {
    return std::string(text);
}
template <std::integral T>
requires(!std::same_as<T, bool> && !std::same_as<T, char>) std::string SayArgument(T value) {
    return std::to_string(value);
}

// `pattern` with "%1".."%9" replaced by the arguments and "%%" by "%".
std::string Fill(std::string_view pattern, std::span<const std::string> arguments);

}  // namespace detail

// The text in the message language, "%1".."%9" replaced by the arguments (texts or
// integers, integers written in plain digits).
template <typename... TArgs>
std::string Say(std::string_view english, std::string_view russian, const TArgs&... arguments) {
    const std::array<std::string, sizeof...(TArgs)> texts{detail::SayArgument(arguments)...};
    return detail::Fill(Pick(english, russian), texts);
}

}  // namespace tessarin::base
