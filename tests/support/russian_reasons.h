// For tests of the Russian reasons: the message language switched for one test, and the
// check that a reason says everything in Russian but what it quotes.
#pragma once

#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "base/language.h"

namespace tessarin::test {

// The message language is Russian while the object lives, English again afterwards (the
// default every other test expects).
class TRussianMessages {
public:
    TRussianMessages() { base::SetMessageLanguage(base::TLanguage::Russian); }
    ~TRussianMessages() { base::SetMessageLanguage(base::TLanguage::English); }
    TRussianMessages(const TRussianMessages&) = delete;
    TRussianMessages& operator=(const TRussianMessages&) = delete;
};

// The Latin words of `reason` outside what it may hold in Latin: the file name `name`
// wherever it appears, text in quotes ("..." or «...», as input and file keywords are
// quoted) and the names of the formats (STL, ASCII, UTF-16). A Russian reason has none;
// an English one shows its words here. A quote that is never closed hides nothing.
inline std::vector<std::string> StrayLatinWords(std::string_view text, std::string_view name = {}) {
    std::string reason;
    for (std::size_t from = 0;;) {
        const std::size_t at = name.empty() ? std::string_view::npos : text.find(name, from);
        if (at == std::string_view::npos) {
            reason.append(text.substr(from));
            break;
        }
        reason.append(text.substr(from, at - from));
        reason += ' ';
        from = at + name.size();
    }
    static const std::set<std::string, std::less<>> kFormats{"STL", "ASCII", "UTF"};
    constexpr std::string_view kOpen = "\u00AB";   // «
    constexpr std::string_view kClose = "\u00BB";  // »
    const auto isLatin = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); };
    std::vector<std::string> words;
    std::size_t i = 0;
    while (i < reason.size()) {
        const std::string_view rest = std::string_view(reason).substr(i);
        if (rest.front() == '"') {
            if (const std::size_t end = reason.find('"', i + 1); end != std::string::npos) {
                i = end + 1;
                continue;
            }
        } else if (rest.starts_with(kOpen)) {
            if (const std::size_t end = reason.find(kClose, i); end != std::string::npos) {
                i = end + kClose.size();
                continue;
            }
        }
        if (!isLatin(reason[i])) {
            ++i;
            continue;
        }
        std::size_t end = i;
        while (end < reason.size() && isLatin(reason[end])) {
            ++end;
        }
        std::string word = reason.substr(i, end - i);
        if (!kFormats.contains(word)) {
            words.push_back(std::move(word));
        }
        i = end;
    }
    return words;
}

// Whether `text` holds a Cyrillic letter: a reason that quotes everything must still say
// something in Russian.
inline bool HasCyrillic(std::string_view text) {
    // Cyrillic letters are U+0400..U+04FF: lead bytes 0xD0..0xD3 in UTF-8.
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0xD0 && byte <= 0xD3) {
            return true;
        }
    }
    return false;
}

}  // namespace tessarin::test
