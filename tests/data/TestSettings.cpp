#include "data/Settings.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

using namespace pelmora;

namespace {

TEST(Settings, ReadsTheServerSection) {
    std::ostringstream warn;
    Settings s = Settings::parse("\xEF\xBB\xBF; central server\n[Server]\r\n Host = db.local \r\nPort=14330\n"
                                 "password=a=b;c\nLoginTimeout=3\n",
                                 warn);
    EXPECT_EQ(s.host, "db.local");
    EXPECT_EQ(s.port, 14330);
    EXPECT_EQ(s.login, "sa");
    EXPECT_EQ(s.password, "a=b;c");
    EXPECT_EQ(s.loginTimeout, 3);
    EXPECT_TRUE(s.serverConfigured());
    EXPECT_EQ(warn.str(), "");
}

TEST(Settings, BadLinesKeepTheDefaultsAndAreReported) {
    std::ostringstream warn;
    Settings s =
        Settings::parse("Host=outside\n[Server]\nPort=99999\nLoginTimeout=0\nColour=red\nnonsense\n", warn);
    EXPECT_EQ(s.host, "");
    EXPECT_EQ(s.port, 1433);
    EXPECT_EQ(s.loginTimeout, 5);
    EXPECT_FALSE(s.serverConfigured());
    EXPECT_NE(warn.str().find("1행"), std::string::npos);
    EXPECT_NE(warn.str().find("6행"), std::string::npos);
}

TEST(Settings, MissingFileGivesDefaultsAndAnOpenFileIsReportedOnce) {
    test::TempDir dir;
    std::ostringstream warn;
    EXPECT_FALSE(Settings::load(dir.file("none.ini"), warn).serverConfigured());
    EXPECT_EQ(warn.str(), "");
    auto path = dir.file("Pelmora.ini");
    std::ofstream(path) << "[Server]\nHost=127.0.0.1\n";
    namespace fs = std::filesystem;
    fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(Settings::load(path, warn).host, "127.0.0.1");
    EXPECT_EQ(warn.str(), "");
    fs::permissions(path, fs::perms::others_read, fs::perm_options::add);
    Settings::load(path, warn);
    Settings::load(path, warn);
    std::string w = warn.str();
    EXPECT_NE(w.find("다른 사용자"), std::string::npos);
    EXPECT_EQ(w.find("다른 사용자"), w.rfind("다른 사용자"));
}

} // namespace
