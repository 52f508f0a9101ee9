#include "data/IniFile.h"
#include "data/Settings.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

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

namespace {

// Writing one section keeps every other line: comments, unknown keys and the
// sections other parts of the program own.
TEST(SettingsFile, ThePharmacyIsWrittenAndEverythingElseKept) {
    const std::string before = "; 약국 설정\r\n[Server]\r\nHost=db.local\r\nPassword=a=b;c\r\n\r\n"
                               "[Backup]\r\nFolder=/mnt/백업\r\nKeep=7\r\n\r\n"
                               "[pharmacy]\r\nname=옛 이름\r\nColour=red\r\n";
    IniFile ini = IniFile::parse(before);
    Pharmacy p{"행복=약국; 본점", "220-81-62517", "서울 중구 세종대로 1\n2층", "홍길동", "02-123-4567",
               "김약사",          "80mm"};
    Settings::storePharmacy(ini, p);
    ini.set("Backup", "Passphrase", "x y");
    ini.set("Backup", "keep", "9");
    const std::string after = ini.text();
    std::ostringstream warn;
    const Settings s = Settings::parse(after, warn);
    EXPECT_EQ(warn.str(), "");
    p.address = "서울 중구 세종대로 1 2층"; // a value stays on its line
    EXPECT_EQ(s.pharmacy, p);
    EXPECT_EQ(s.host, "db.local");
    EXPECT_EQ(s.password, "a=b;c");
    EXPECT_EQ(ini.get("BACKUP", "Folder"), "/mnt/백업");
    EXPECT_EQ(ini.get("backup", "Keep"), "9");
    EXPECT_EQ(ini.get("Backup", "Passphrase"), "x y");
    EXPECT_EQ(ini.get("Pharmacy", "Colour"), "red");
    EXPECT_FALSE(ini.get("Server", "Folder").has_value());
    // The comment, the server lines and the order of the sections stand as they were.
    EXPECT_EQ(
        after.rfind(
            "; 약국 설정\n[Server]\nHost=db.local\nPassword=a=b;c\n\n[Backup]\nFolder=/mnt/백업\nKeep=9\n"
            "Passphrase=x y\n\n[pharmacy]\nname=행복=약국; 본점\n",
            0),
        0u)
        << after;
    // A file without the section gets it at the end.
    IniFile fresh = IniFile::parse("[Server]\nHost=h\n");
    Settings::storePharmacy(fresh, p);
    EXPECT_EQ(Settings::parse(fresh.text(), warn).pharmacy, p);
    EXPECT_EQ(fresh.text().rfind("[Server]\nHost=h\n\n[Pharmacy]\nName=", 0), 0u);
    // A hand-edited file naming the pharmacy twice, once in a second section
    // of the same name, behind a byte-order mark: every reader takes the
    // first line, and writing leaves only the new one.
    IniFile twice =
        IniFile::parse("\xEF\xBB\xBF[Pharmacy]\nName=첫째\nname=둘째\n[Server]\n[PHARMACY]\nNAME=셋째\n");
    EXPECT_EQ(Settings::parse(twice.text(), warn).pharmacy.name, "첫째");
    EXPECT_EQ(twice.get("pharmacy", "name"), "첫째");
    Settings::storePharmacy(twice, p);
    EXPECT_EQ(Settings::parse(twice.text(), warn).pharmacy, p);
    EXPECT_EQ(twice.text().find("둘째"), std::string::npos);
    EXPECT_EQ(twice.text().find("셋째"), std::string::npos);
    EXPECT_EQ(twice.text().rfind("\xEF\xBB\xBF[Pharmacy]\nName=", 0), 0u); // the mark stays
}

// Saved whole or not at all, readable by the owner only.
TEST(SettingsFile, SavesAtomicallyForTheOwnerOnly) {
    namespace fs = std::filesystem;
    test::TempDir dir;
    const std::string path = dir.file("Pelmora.ini");
    std::ofstream(path) << "[Server]\nHost=old\n";
    fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write | fs::perms::others_read);
    IniFile ini = IniFile::load(path);
    ini.set("Server", "Host", "new");
    ASSERT_TRUE(ini.save(path));
    EXPECT_EQ(IniFile::load(path).get("Server", "Host"), "new");
    EXPECT_EQ(fs::status(path).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);

    // A folder it cannot write in: the old file stays and the reason is given.
    fs::permissions(dir.path(), fs::perms::owner_read | fs::perms::owner_exec);
    ini.set("Server", "Host", "newer");
    std::string why;
    if (::geteuid() != 0) {
        EXPECT_FALSE(ini.save(path, &why));
        EXPECT_NE(why.find("Pelmora.ini"), std::string::npos);
        EXPECT_EQ(IniFile::load(path).get("Server", "Host"), "new");
    }
    fs::permissions(dir.path(), fs::perms::owner_all);
}

} // namespace
