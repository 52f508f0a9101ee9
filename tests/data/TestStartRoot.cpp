#include "data/StartRoot.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

using namespace pelmora;
namespace fs = std::filesystem;

namespace {

std::string read(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// The per-user file keeps what else it holds; a root that cannot be written
// there leaves it as it was.
TEST(StartRoot, RememberedRootsRoundTripInTheUsersConfigFile) {
    test::TempDir home;
    ::setenv("XDG_CONFIG_HOME", home.path().c_str(), 1);
    EXPECT_EQ(StartRoot::configFile(), home.path() / "pelmora" / "pelmora.conf");
    EXPECT_FALSE(StartRoot::remembered());

    fs::create_directories(home.path() / "pelmora");
    std::ofstream(StartRoot::configFile())
        << "[Window]\nWidth=900\n[Start]\r\nRoot=/old\nShown=1\n[Other]\nA=1\n";
    for (const fs::path root : {"/home/약사/새 약국", "/srv/Corvane", "/a=b/[c]"}) {
        ASSERT_TRUE(StartRoot::remember(root));
        EXPECT_EQ(StartRoot::remembered(), root);
    }
    EXPECT_EQ(read(StartRoot::configFile()),
              "[Window]\nWidth=900\n[Start]\r\nRoot=/a=b/[c]\nShown=1\n[Other]\nA=1\n");

    std::string why;
    EXPECT_FALSE(StartRoot::remember("/두 줄\n폴더", &why));
    EXPECT_NE(why.find("줄바꿈"), std::string::npos);
    EXPECT_EQ(StartRoot::remembered(), fs::path("/a=b/[c]"));
    EXPECT_FALSE(fs::exists(StartRoot::configFile().string() + ".new"));

    // No [Start] yet: one is added; a relative root is kept whole.
    std::ofstream(StartRoot::configFile()) << "[Window]\nWidth=900\n";
    ASSERT_TRUE(StartRoot::remember("약국"));
    EXPECT_EQ(StartRoot::remembered(), fs::current_path() / "약국");
    EXPECT_EQ(read(StartRoot::configFile()).rfind("[Window]\nWidth=900\n[Start]\nRoot=/", 0), 0u);

    // XDG_CONFIG_HOME must be absolute; otherwise $HOME/.config.
    ::setenv("XDG_CONFIG_HOME", "relative", 1);
    ::setenv("HOME", home.path().c_str(), 1);
    EXPECT_EQ(StartRoot::configFile(), home.path() / ".config" / "pelmora" / "pelmora.conf");
    ::unsetenv("XDG_CONFIG_HOME");
}

TEST(StartRoot, APickedFolderStandsForItsRoot) {
    test::TempDir dir;
    const fs::path r = dir.path() / "약국";
    fs::create_directories(r / "TX60" / "SubPrg");
    fs::create_directories(dir.path() / "TX60");
    const std::vector<std::pair<fs::path, fs::path>> cases = {
        {r, r},
        {r / "", r},
        {r / "TX60" / "SubPrg", r},
        {r / "TX60" / "SubPrg" / "", r},
        {r / "TX60", r},
        {r / "TX60" / ".." / "TX60" / "SubPrg", r},
        {dir.path() / "TX60", dir.path() / "TX60"}, // no SubPrg under it: a root of that name
        {dir.path() / "SubPrg", dir.path() / "SubPrg"},
    };
    for (const auto& [picked, root] : cases)
        EXPECT_EQ(StartRoot::rootOf(picked), root) << picked;
}

} // namespace
