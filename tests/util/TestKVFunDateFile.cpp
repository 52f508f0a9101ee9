#include "support/TempDir.h"
#include "util/Clock.h"
#include "util/KVFun.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

using namespace std::chrono;
using pelmora::KVFun;
using pelmora::kvfun;

namespace {

class KVFunDates : public ::testing::Test {
  protected:
    void SetUp() override { pelmora::Clock::freeze({2024, 5, 17, 10, 0, 0}); }
    void TearDown() override { pelmora::Clock::unfreeze(); }
};

TEST_F(KVFunDates, ValidDatesAreEightDigitsOfARealDay) {
    struct Case {
        const char* in;
        bool valid;
    } cases[] = {
        {"20240229", true},  {"2024-02-29", true}, {" 20240229 ", true}, {"2024-02-29 10:00:00", true},
        {"20230229", false}, {"20241301", false},  {"00000000", false},  {"", false},
        {"   ", false},      {"00:00:00", false},  {"2024015", false},   {"2024년0229", false},
        {"abcdefgh", false}, {"20240229x", true},  {"00991231", false},  {"01000101", true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(kvfun().IsValidYYYYMMDD(c.in), c.valid) << c.in;
    EXPECT_TRUE(kvfun().IsValidYYYYMMDD(std::string(1000, '1'))); // its first 8: 1111-11-11
    EXPECT_FALSE(kvfun().IsValidYYYYMMDD(std::string(1000, 'x')));
}

TEST_F(KVFunDates, TextAndDateConversions) {
    EXPECT_EQ(kvfun().ToYYYYMMDD("2024-02-28", "-"), "2024-02-28");
    EXPECT_EQ(kvfun().ToYYYYMMDD("2024-02-28"), "20240228");
    EXPECT_EQ(kvfun().ToYYYYMMDD("20241399", "/"), "2024/13/99"); // stored text shown as stored
    EXPECT_EQ(kvfun().ToYYYYMMDD("", "-"), "0000-00-00");
    EXPECT_EQ(kvfun().ToYYYYMMDD("abc"), "00000000");
    EXPECT_EQ(kvfun().ToYYYYMMDD("123", "-"), "0000-00-00");
    EXPECT_EQ(kvfun().ToDate("2024-02-29"), 2024y / February / 29d);
    EXPECT_EQ(kvfun().ToDate("nonsense"), 2024y / May / 17d); // today from the clock
    EXPECT_EQ(kvfun().ToDate("", true), KVFun::kNullDate);
}

TEST_F(KVFunDates, Times) {
    for (const char* t : {"000000", "23:59:59", "120000", " 12:30:45 "})
        EXPECT_TRUE(kvfun().IsValidTime(t)) << t;
    for (const char* t : {"240000", "126000", "12:00", "1230", "", "ab:cd:ef", "12:30:60"})
        EXPECT_FALSE(kvfun().IsValidTime(t)) << t;
}

TEST_F(KVFunDates, MonthsAndWeekdays) {
    EXPECT_EQ(kvfun().DDLastDay(2024y / February / 10d), "29");
    EXPECT_EQ(kvfun().DDLastDay(2023y / February / 10d), "28");
    EXPECT_EQ(kvfun().DDLastDay(2024y / December / 31d), "31");
    EXPECT_EQ(kvfun().DDLastDay(2024y / month{13} / 1d), "");
    EXPECT_EQ(kvfun().DDPreviousMonth(2024y / January / 15d), 2023y / December / 1d);
    EXPECT_EQ(kvfun().ProcNextMonth(2024y / December / 31d), 2025y / January / 1d);
    EXPECT_EQ(kvfun().ProcNextMonth(2024y / January / 31d), 2024y / February / 1d);
    EXPECT_EQ(kvfun().DDPreviousMonth(2024y / month{0} / 1d), 2024y / April / 1d); // not a month: today's
    EXPECT_EQ(kvfun().DDHanGul(2024y / February / 25d), "일요일");
    EXPECT_EQ(kvfun().DDHanGul(2024y / March / 2d), "토요일");
    EXPECT_EQ(kvfun().DDHanGul(2024y / February / 30d), "");
}

TEST(KVFunFiles, NamesWithEitherSeparator) {
    EXPECT_EQ(kvfun().FileGetPath("C:\\Corvane\\Data\\Pelmo.db"), "C:\\Corvane\\Data");
    EXPECT_EQ(kvfun().FileGetPath("/home/a/b.txt"), "/home/a");
    EXPECT_EQ(kvfun().FileGetPath("b.txt"), "");
    EXPECT_EQ(kvfun().FileGetFileName("C:\\Corvane/Data\\약가.db"), "약가.db");
    EXPECT_EQ(kvfun().FileGetFileNameNonExtension("C:\\x\\심평원수.tar.db"), "심평원수.tar");
    EXPECT_EQ(kvfun().FileGetFileNameNonExtension("/x/.profile"), ".profile");
    EXPECT_EQ(kvfun().FileGetFileNameNonExtension("dir\\"), "");
}

TEST(KVFunFiles, WriteLoadCopyMoveDelete) {
    pelmora::test::TempDir tmp;
    const std::string dir = tmp.file("a\\b"), file = dir + "\\out.txt";
    ASSERT_TRUE(kvfun().FileWriteStr(file, "첫줄\r\nsecond\n", dir));
    ASSERT_TRUE(kvfun().FileWriteStr(file, "third", "", true));
    std::vector<std::string> lines = {"old"};
    ASSERT_TRUE(kvfun().FileLoadStr(lines, file));
    EXPECT_EQ(lines, (std::vector<std::string>{"첫줄", "second", "third"}));
    EXPECT_FALSE(kvfun().FileLoadStr(lines, tmp.file("missing"), true, milliseconds(100)));
    EXPECT_TRUE(lines.empty());

    const std::string copy = tmp.file("copy.txt");
    EXPECT_TRUE(kvfun().FileCopy(file, copy));
    EXPECT_FALSE(kvfun().FileCopy(file, copy)); // no overwrite unless asked
    EXPECT_TRUE(kvfun().FileCopy(file, copy, true));
    EXPECT_FALSE(kvfun().FileMove(file, copy));
    EXPECT_TRUE(kvfun().FileExist(file));
    EXPECT_TRUE(kvfun().FileMove(file, tmp.file("moved.txt")));
    EXPECT_FALSE(kvfun().FileExist(file));
    EXPECT_EQ(kvfun().FileSizeGet_Byte(copy), "20B ");
    EXPECT_EQ(kvfun().FileDateGet(copy).size(), 19u);
    EXPECT_FALSE(kvfun().DirDelete(tmp.file("a"))); // still holds a folder
    EXPECT_FALSE(kvfun().FileDelete(tmp.file("a")));
    EXPECT_TRUE(kvfun().FileDelete(copy));
    EXPECT_FALSE(kvfun().FileExist(copy));
    EXPECT_TRUE(kvfun().DirDelete(dir));
    EXPECT_FALSE(kvfun().DirMake(tmp.file("x/y")));
    EXPECT_TRUE(kvfun().DirMake_Auto(tmp.file("x/y")));
    for (const char* bad : {"", "   ", "\xEA\xB0"})
        EXPECT_FALSE(kvfun().FileExist(bad) || kvfun().FileDelete(bad) || kvfun().DirDelete(bad)) << bad;
}

TEST(KVFunFiles, SizesInUnits) {
    pelmora::test::TempDir tmp;
    const std::string f = tmp.file("s");
    kvfun().FileWriteStr(f, std::string(1536, 'x'));
    EXPECT_EQ(kvfun().FileSizeGet_Byte(f), "2KB");
    kvfun().FileWriteStr(f, std::string(1572864, 'x'));
    EXPECT_EQ(kvfun().FileSizeGet_Byte(f), "1.5MB");
    EXPECT_EQ(kvfun().FileSizeGet_Byte(tmp.file("none")), "");
}

TEST(KVFunFiles, AttributesMapToPermissionsAndDotNames) {
    pelmora::test::TempDir tmp;
    const std::string f = tmp.file("data.txt");
    kvfun().FileWriteStr(f, "x");
    EXPECT_EQ(kvfun().FileTypeGet(f), KVFun::Normal);
    EXPECT_EQ(kvfun().FileTypeGet(tmp.path().string()), KVFun::Directory);
    EXPECT_EQ(kvfun().FileTypeGet(tmp.file("none")), -1);

    ASSERT_TRUE(kvfun().FileTypeSet(f, "ReadOnly"));
    EXPECT_EQ(kvfun().FileTypeGet(f), KVFun::ReadOnly);
    std::string hidden;
    ASSERT_TRUE(kvfun().FileTypeSet(f, KVFun::ReadOnly | KVFun::Hidden | KVFun::Archive, &hidden));
    EXPECT_EQ(hidden, tmp.file(".data.txt"));
    EXPECT_EQ(kvfun().FileTypeGet(hidden), KVFun::ReadOnly | KVFun::Hidden);
    std::string shown;
    ASSERT_TRUE(kvfun().FileTypeSet(hidden, KVFun::Normal, &shown));
    EXPECT_EQ(shown, f);
    EXPECT_EQ(kvfun().FileTypeGet(f), KVFun::Normal);
    EXPECT_TRUE(kvfun().FileWriteStr(f, "writable again"));

    kvfun().FileWriteStr(tmp.file(".data.txt"), "another file");
    EXPECT_FALSE(kvfun().FileTypeSet(f, KVFun::Hidden)); // would replace .data.txt
    EXPECT_FALSE(kvfun().FileTypeSet(f, "Bogus"));
    std::filesystem::create_symlink(f, tmp.file("link"));
    EXPECT_EQ(kvfun().FileTypeGet(tmp.file("link")), KVFun::Alias);
}

TEST(KVFunSystem, ProgramsRunWithoutAShell) {
    EXPECT_EQ(kvfun().FileOpenEXEWait("/bin/sh -c \"exit 3\""), 3);
    EXPECT_EQ(kvfun().FileOpenEXEWait("true; touch /tmp/should-not-exist"), -1);
    EXPECT_EQ(kvfun().FileOpenEXEWait(""), -1);
    EXPECT_FALSE(kvfun().FileOpenEXE(""));
    EXPECT_FALSE(kvfun().SysUserName().empty());
    EXPECT_FALSE(kvfun().SysComName().empty());
    EXPECT_GT(kvfun().DiskSpaceGet(), 0);
    EXPECT_EQ(kvfun().DiskSpaceGet("/no/such/folder"), -1);
    const std::string here = kvfun().GetCurrentDir();
    EXPECT_TRUE(kvfun().SetCurrentDir("/"));
    EXPECT_EQ(kvfun().GetCurrentDir(), "/");
    EXPECT_TRUE(kvfun().SetCurrentDir(here));
    EXPECT_FALSE(kvfun().SetCurrentDir("/no/such/folder"));
}

} // namespace
