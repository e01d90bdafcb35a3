#include "base/language.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <system_error>
#include <vector>

#include "tests/support/russian_reasons.h"

namespace tessarin::base {
namespace {

using ::testing::IsEmpty;

TEST(MessageLanguage, EnglishUnlessSetOtherwise) {
    EXPECT_EQ(MessageLanguage(), TLanguage::English);
    EXPECT_EQ(Say("%1: the file is empty", "%1: файл пуст", "a.stl"), "a.stl: the file is empty");
    {
        const test::TRussianMessages russian;
        EXPECT_EQ(Say("%1: the file is empty", "%1: файл пуст", "a.stl"), "a.stl: файл пуст");
    }
    EXPECT_EQ(MessageLanguage(), TLanguage::English);
}

TEST(MessageLanguage, SayFillsNumberedPlacesOnce) {
    // Arguments go where their numbers stand, in any order, and are not read again: a
    // file name with "%2" in it stays as it is.
    EXPECT_EQ(Say("%2 of %1", "", 3, std::string("x%2")), "x%2 of 3");
    EXPECT_EQ(Say("%1 %% %3", "", -7), "-7 % %3");
    EXPECT_EQ(Say("100%", ""), "100%");
    const std::size_t big = 18446744073709551615u;
    EXPECT_EQ(Say("%1", "", big), "18446744073709551615");
}

TEST(MessageLanguage, LocaleNamesStartingWithRuAreRussian) {
    const std::vector<std::pair<const char*, TLanguage>> cases{
        {"ru_RU.UTF-8", TLanguage::Russian}, {"ru", TLanguage::Russian},
        {"ru_UA", TLanguage::Russian},       {"C", TLanguage::English},
        {"C.UTF-8", TLanguage::English},     {"POSIX", TLanguage::English},
        {"en_US.UTF-8", TLanguage::English}, {"", TLanguage::English},
        {"de_RU", TLanguage::English},
    };
    for (const auto& [locale, language] : cases) {
        EXPECT_EQ(LanguageOfLocale(locale), language) << locale;
    }
}

// The usual file errors have Russian texts; in English they are the system's own.
TEST(MessageLanguage, SystemErrorsInBothLanguages) {
    for (const int error :
         {ENOENT,  EACCES, EPERM,  EISDIR, ENOTDIR,      ENOSPC, EDQUOT, EROFS,  ELOOP,
          EEXIST,  EMFILE, ENFILE, EIO,    ENAMETOOLONG, EFBIG,  ENOMEM, ESTALE, EBUSY,
          ETXTBSY, EXDEV,  EINVAL, EAGAIN, ENXIO,        ENODEV, EINTR,  EBADF,  EOVERFLOW}) {
        EXPECT_EQ(SystemErrorText(error), std::system_category().message(error));
        const test::TRussianMessages russian;
        const std::string text = SystemErrorText(error);
        EXPECT_TRUE(test::HasCyrillic(text)) << error << ": " << text;
        EXPECT_THAT(test::StrayLatinWords(text), IsEmpty()) << text;
    }
    const test::TRussianMessages russian;
    EXPECT_EQ(SystemErrorText(EHOSTDOWN), std::system_category().message(EHOSTDOWN));
}

TEST(MessageLanguage, StrayLatinWordsSkipsTheNameQuotesAndFormats) {
    EXPECT_THAT(test::StrayLatinWords("/tmp/Broken file.stl, строка 3: ожидалось \"vertex\" и "
                                      "«inch», текст UTF-16, ASCII, STL",
                                      "/tmp/Broken file.stl"),
                IsEmpty());
    EXPECT_EQ(test::StrayLatinWords("a.stl: the file is empty", "a.stl"),
              (std::vector<std::string>{"the", "file", "is", "empty"}));
    // A quote never closed hides nothing.
    EXPECT_EQ(test::StrayLatinWords("найдено \"x и y"), (std::vector<std::string>{"x", "y"}));
}

}  // namespace
}  // namespace tessarin::base
