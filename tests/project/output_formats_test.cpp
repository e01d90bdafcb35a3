#include "project/output_formats.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace tessarin::project {
namespace {

// Every entry must make a working batch option and a working file dialog: a repeated
// key would make two options of one name, a filter without the extension would hide
// the files the export writes.
TEST(TableFormatsTest, EveryEntryMakesAnOptionAndADialog) {
    ASSERT_FALSE(TableFormats().empty());
    std::set<std::string_view> keys;
    for (const TTableFormat& format : TableFormats()) {
        SCOPED_TRACE(std::string(format.Key));
        EXPECT_TRUE(keys.insert(format.Key).second) << "repeated key";
        EXPECT_EQ(format.Key.find_first_not_of("abcdefghijklmnopqrstuvwxyz0123456789-"),
                  std::string_view::npos);
        EXPECT_EQ(FindTableFormat(format.Key), &format);
        EXPECT_NE(format.Filter.find("*." + std::string(format.Extension)), std::string_view::npos);
        EXPECT_FALSE(format.Caption.empty());
        EXPECT_FALSE(format.DialogTitle.empty());
        EXPECT_FALSE(format.BatchHelp.empty());
        EXPECT_NE(format.Produce, nullptr);
    }
    EXPECT_EQ(FindTableFormat("no such format"), nullptr);
    // The batch tool's --csv and the desktop's first export entry.
    EXPECT_EQ(TableFormats().front().Key, "csv");
}

}  // namespace
}  // namespace tessarin::project
