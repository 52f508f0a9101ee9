// pelmora-calc over ODBC (the SQLite driver) prints exactly what it prints
// over the same file opened directly, for single requests and for a batch.

#include "TestOdbcSupport.h"

#include "data/ReferenceFiles.h"
#include "data/SqliteConnection.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

using namespace pelmora;
namespace fs = std::filesystem;

namespace {

const fs::path kCalc = fs::path(PELMORA_BINARY_DIR) / "tools" / "pelmora-calc" / "pelmora-calc";
const fs::path kCases = fs::path(PELMORA_SOURCE_DIR) / "tests" / "charge" / "cases";

std::string quote(const std::string& s) {
    std::string out = "'";
    for (char c : s)
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

std::string output(const std::string& command) {
    std::string out;
    FILE* p = ::popen(command.c_str(), "r");
    if (!p) return out;
    std::array<char, 4096> buf{};
    std::size_t n;
    while ((n = std::fread(buf.data(), 1, buf.size(), p)) > 0)
        out.append(buf.data(), n);
    ::pclose(p);
    return out;
}

std::vector<std::string> lines(const fs::path& p) {
    std::ifstream in(p);
    std::vector<std::string> out;
    for (std::string l; std::getline(in, l);)
        out.push_back(l);
    return out;
}

// One fee file holding the fees of every case.
void feeFile(const std::string& path) {
    auto db = SqliteConnection::create(path);
    ReferenceFiles::createSchema(*db, ReferenceFiles::kFee);
    for (auto& c : fs::directory_iterator(kCases)) {
        auto rows = lines(c.path() / "fees.tsv");
        for (std::size_t i = 1; i < rows.size(); ++i) {
            std::vector<std::string> f;
            std::stringstream ss(rows[i]);
            for (std::string x; std::getline(ss, x, '\t');)
                f.push_back(x);
            if (f.size() < 4) continue;
            db->execute("INSERT INTO DBF심평원수 (수가코드, 수가일자, 수가단가, 수가명) VALUES (?,?,?,?)",
                        {f[0], f[1], Currency::parse(f[2]), f[3]});
        }
    }
}

TEST(OdbcCalc, OutputIsByteIdenticalToTheDirectFile) {
    if (!fs::exists(kCalc)) GTEST_SKIP() << "pelmora-calc is not built";
    if (output(kCalc.string() + " --help").find("--odbc") == std::string::npos)
        GTEST_SKIP() << "pelmora-calc has no --odbc";
    test::TempDir dir;
    auto file = dir.file("fees.db");
    feeFile(file);
    std::string direct = kCalc.string() + " --ref-db " + quote(file);
    std::string odbc = kCalc.string() + " --odbc " + quote(test::sqliteOdbc(file));
    std::ofstream batch(dir.file("batch.jsonl"));
    int cases = 0;
    for (auto& c : fs::directory_iterator(kCases)) {
        auto req = lines(c.path() / "request.txt");
        ASSERT_GE(req.size(), 1u);
        std::string args = " --header " + quote(req[0]) + (req.size() > 1 ? " --lines " + quote(req[1]) : "");
        std::string a = output(direct + args), b = output(odbc + args);
        EXPECT_FALSE(a.empty()) << c.path();
        EXPECT_EQ(a, b) << c.path();
        EXPECT_EQ(b, output(odbc + " --dialect local" + args));
        batch << "{\"header\": \"" << req[0] << "\", \"lines\": \"" << (req.size() > 1 ? req[1] : "")
              << "\"}\n";
        ++cases;
    }
    batch.close();
    EXPECT_GT(cases, 0);
    std::string a = output(direct + " --batch " + quote(dir.file("batch.jsonl")));
    EXPECT_EQ(a, output(odbc + " --batch " + quote(dir.file("batch.jsonl"))));
    EXPECT_EQ(std::count(a.begin(), a.end(), '\n'), cases);
}

TEST(OdbcCalc, AnUnreachableServerIsAnErrorNotAResult) {
    if (!fs::exists(kCalc) || output(kCalc.string() + " --help").find("--odbc") == std::string::npos)
        GTEST_SKIP() << "pelmora-calc with --odbc is not built";
    std::string out = output(kCalc.string() + " --odbc " + quote(test::tdsOdbc(test::closedLoopbackPort())) +
                             " --header '1#1#1#30#1#1#1#2#20210601#0#2#0#2#$' 2>&1; echo \"rc=$?\"");
    EXPECT_NE(out.find("rc=2"), std::string::npos) << out;
    EXPECT_NE(out.find("08"), std::string::npos) << out;
}

} // namespace
