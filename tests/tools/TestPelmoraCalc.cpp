// Runs the pelmora-calc command and checks what it writes, byte for byte.

#include "charge/AccountFields.h"
#include "data/KvAdo.h"
#include "data/ReferenceFiles.h"
#include "data/SqliteConnection.h"
#include "data/TestOdbcSupport.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <chrono>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

using namespace pelmora;

namespace {

const std::string kCalc = std::string(PELMORA_BINARY_DIR) + "/tools/pelmora-calc/pelmora-calc";
const std::string kHeader = "1#1#1#30#1#1#1#2#20210601#0#2#0#2#$";
const std::string kLines = "A1#1#3#3#급여#내복#100#0#0#9#x#y#$";

struct Outcome {
    int status = -1;
    std::string out, err;
};

std::string slurp(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

class Calc : public testing::Test {
  protected:
    test::TempDir dir;
    std::string feeDb = dir.file("fees.db");

    void SetUp() override {
        auto db = SqliteConnection::create(feeDb);
        writeFees(*db, true);
    }

    static void writeFees(SqliteConnection& db, bool create) {
        if (create) db.executeScript(ReferenceFiles::schema(ReferenceFiles::kFee));
        for (auto [code, amount] :
             {std::pair{"Z1000", 680}, {"Z2000", 1480}, {"Z3000", 990}, {"Z4103", 2310}, {"Z5000", 580}})
            db.execute("INSERT INTO DBF심평원수 VALUES (?, ?, ?, '20210101')",
                       {code, std::string(code) + " 수가", static_cast<std::int32_t>(amount)});
    }

    Outcome run(const std::vector<std::string>& args, const std::string& input = "",
                const std::vector<std::pair<std::string, std::string>>& env = {}) {
        const std::string in = dir.file("in"), out = dir.file("out"), err = dir.file("err");
        std::ofstream(in, std::ios::binary) << input;
        pid_t pid = fork();
        if (pid == 0) {
            int fi = ::open(in.c_str(), O_RDONLY),
                fo = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600),
                fe = ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            dup2(fi, 0);
            dup2(fo, 1);
            dup2(fe, 2);
            for (const auto& [name, value] : env)
                ::setenv(name.c_str(), value.c_str(), 1);
            ::alarm(60); // a hanging run fails the test instead of holding it
            std::vector<char*> argv{const_cast<char*>(kCalc.c_str())};
            for (const auto& a : args)
                argv.push_back(const_cast<char*>(a.c_str()));
            argv.push_back(nullptr);
            execv(kCalc.c_str(), argv.data());
            _exit(127);
        }
        int st = 0;
        waitpid(pid, &st, 0);
        return {WIFEXITED(st) ? WEXITSTATUS(st) : -1, slurp(out), slurp(err)};
    }
};

TEST_F(Calc, OneRequestGivesEveryNameInOrderThenTheError) {
    Outcome r = run({"--ref-db", feeDb, "--header", kHeader, "--lines", kLines});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    ASSERT_EQ(r.out.back(), '\n');
    EXPECT_EQ(r.out.find('\n'), r.out.size() - 1);
    auto j = nlohmann::ordered_json::parse(r.out);
    std::vector<std::string> keys;
    for (auto it = j.begin(); it != j.end(); ++it)
        keys.push_back(it.key());
    std::vector<std::string> expected;
    for (const auto& f : accountFields())
        expected.push_back(f.name);
    expected.push_back("error");
    EXPECT_EQ(keys, expected);
    for (const char* piece :
         {"{\"보험_투약_일수\":3,\"비보_투약_일수\":0,\"보험_약국관리료_코드\":\"Z1000\",",
          "\"보험_약국관리료_명칭\":\"Z1000 수가\"", "\"보험_조제료전체_단가\":\"6040.0000\"",
          "\"보험_외용조제료_단가\":\"0.0000\"", "\"결과_받을금액\":\"2000.0000\"",
          "\"진료비실태상세계산유형\":\"정률\",\"진료비실태상세계산요율\":0.3,"
          "\"진료비실태상세계산소아\":0,\"error\":null}\n"})
        EXPECT_NE(r.out.find(piece), std::string::npos) << piece;
}

TEST_F(Calc, NegativeMoneyAndTheRateReadBackExactly) {
    // A longer non-covered internal line prices the all-lines fee at an absent
    // code: the non-covered internal fee comes out negative.
    const std::string header = "1#1#1#33.3#1#1#1#2#20210601#0#2#0#2#$";
    Outcome r = run(
        {"--ref-db", feeDb, "--header", header, "--lines", kLines + "B#1#3#5#비급여#내복#10#0#0#1#x#y#$"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("\"비보_내복조제료_단가\":\"-2310.0000\""), std::string::npos);
    auto j = nlohmann::json::parse(r.out);
    EXPECT_EQ(j["진료비실태상세계산요율"].get<double>(), 33.3 * 0.01);
}

TEST_F(Calc, AFailedCalculationNamesItsTagAndWritesMessagesToStandardError) {
    const std::string broken = "1#1#보험#30#1#1#1#2#20210601#0#2#0#2#$";
    Outcome r = run({"--ref-db", feeDb, "--header", broken, "--lines", kLines});
    EXPECT_EQ(r.status, 1); // its figures are no bill
    EXPECT_NE(r.err.find("계산 오류가 보고된 요청이 1건"), std::string::npos) << r.err;
    EXPECT_NE(r.out.find("\"결과_받을금액\":\"0.0000\""), std::string::npos);
    EXPECT_NE(r.out.find(",\"error\":\"clsAcount:SubAcount\"}\n"), std::string::npos);
    EXPECT_NE(r.err.find("clsAcount:SubAcount 13 형식이 일치하지 않습니다."), std::string::npos);
    // In a batch of good requests, one that reported an error fails the run.
    const std::string good = "{\"header\":\"" + kHeader + "\",\"lines\":\"" + kLines + "\"}\n";
    const std::string bad = "{\"header\":\"" + broken + "\",\"lines\":\"" + kLines + "\"}\n";
    EXPECT_EQ(run({"--ref-db", feeDb, "--batch", "-"}, good + good).status, 0);
    Outcome batch = run({"--ref-db", feeDb, "--batch", "-"}, good + bad + good);
    EXPECT_EQ(batch.status, 1);
    EXPECT_EQ(std::count(batch.out.begin(), batch.out.end(), '\n'), 3);
}

TEST_F(Calc, BatchKeepsLinesAlignedAndFlagsInvalidOnes) {
    const std::string good = "{\"header\":\"" + kHeader + "\",\"lines\":\"" + kLines + "\",\"note\":1}";
    Outcome r = run({"--ref-db", feeDb, "--batch", "-"},
                    good + "\n[1,2]\n\n{\"header\":\"" + kHeader +
                        "\"}\n{\"header\":\"x\",\"lines\":7}\nnot json\n" + good + "\n");
    EXPECT_EQ(r.status, 1);
    std::vector<std::string> lines;
    std::stringstream ss(r.out);
    for (std::string l; std::getline(ss, l);)
        lines.push_back(l);
    ASSERT_EQ(lines.size(), 7u);
    EXPECT_EQ(lines[1], "{\"error\":\"invalid request: not a JSON object\"}");
    EXPECT_EQ(lines[2], "{\"error\":\"invalid request: not valid JSON\"}");
    EXPECT_EQ(lines[3], "{\"error\":\"invalid request: \\\"lines\\\" is missing or not a string\"}");
    EXPECT_EQ(lines[4], "{\"error\":\"invalid request: \\\"lines\\\" is missing or not a string\"}");
    EXPECT_EQ(lines[5], "{\"error\":\"invalid request: not valid JSON\"}");
    EXPECT_EQ(lines[0], lines[6]);
    Outcome single = run({"--ref-db", feeDb, "--header", kHeader, "--lines", kLines});
    EXPECT_EQ(lines[0] + "\n", single.out);
}

TEST_F(Calc, BatchFromMemoryEqualsTheQueriesFailuresIncluded) {
    const std::vector<std::pair<std::string, std::string>> requests = {
        {kHeader, kLines},
        {"3#5#9#30#1#1#1#1#20190105#0#2#0#2#$", kLines + "B#1#3#7#100/100#외용#55.5#3#0#2#x#y#$"},
        {"2#4#1#30#1#1#1#2#20210601#1#2#0#1#$", "C#1#3#1#급여#주사#10#0#1#1#x#y#$"},
        {"", ""}};
    std::string batch, singles;
    for (const auto& [h, l] : requests) {
        batch += nlohmann::json{{"header", h}, {"lines", l}}.dump() + "\n";
        singles += run({"--ref-db", feeDb, "--header", h, "--lines", l}).out;
    }
    EXPECT_EQ(run({"--ref-db", feeDb, "--batch", "-"}, batch).out, singles);

    // Without the fee table every lookup fails, in batch mode as well.
    const std::string empty = dir.file("empty.db");
    SqliteConnection::create(empty)->executeScript("CREATE TABLE other (x)");
    Outcome b = run({"--ref-db", empty, "--batch", "-"}, batch);
    Outcome s = run({"--ref-db", empty, "--header", kHeader, "--lines", kLines});
    EXPECT_NE(s.out.find("\"error\":\"clsAcount:SubSooGaAcount\""), std::string::npos);
    EXPECT_EQ(b.out.substr(0, b.out.find('\n') + 1), s.out);
}

TEST_F(Calc, RootUsesTheLinkDatabaseOverTheReferenceFiles) {
    const std::filesystem::path root = dir.path() / "root";
    std::filesystem::create_directories(ReferenceFiles::folder(root));
    std::filesystem::create_directories(ReferenceFiles::dataFolder(root));
    for (std::size_t i = 0; i < ReferenceFiles::kCount; ++i) {
        auto db = SqliteConnection::create(ReferenceFiles::file(root, i).string());
        ReferenceFiles::createSchema(*db, i);
        if (i == ReferenceFiles::kFee) writeFees(*db, false);
    }
    Outcome viaRoot = run({"--root", root.string(), "--header", kHeader, "--lines", kLines});
    ASSERT_EQ(viaRoot.status, 0) << viaRoot.err;
    EXPECT_EQ(viaRoot.out, run({"--ref-db", feeDb, "--header", kHeader, "--lines", kLines}).out);
}

TEST_F(Calc, WrongArgumentsOrNoDatabaseExitWith2) {
    EXPECT_EQ(run({"--header", kHeader}).status, 2);
    EXPECT_EQ(run({"--ref-db", feeDb}).status, 2);
    EXPECT_EQ(run({"--ref-db", feeDb, "--header"}).status, 2);
    EXPECT_EQ(run({"--ref-db", feeDb, "--batch", "-", "--lines", kLines}).status, 2);
    Outcome missing = run({"--ref-db", dir.file("none.db"), "--header", kHeader});
    EXPECT_EQ(missing.status, 2);
    EXPECT_EQ(missing.out, "");
    EXPECT_EQ(run({"--ref-db", feeDb, "--batch", dir.file("none.jsonl")}).status, 2);
}

// The connection string, password included, need not be on the command
// line; when it is, the tool says who can see it.
TEST_F(Calc, TheConnectionStringComesFromAFileOrTheEnvironment) {
    const std::string conn = std::string("DRIVER=") + kSqliteDriverPath + ";Database=" + feeDb;
    const std::string expected = run({"--ref-db", feeDb, "--header", kHeader, "--lines", kLines}).out;
    const std::string privateFile = dir.file("conn"), sharedFile = dir.file("conn-shared"),
                      blank = dir.file("blank");
    std::ofstream(privateFile) << "\n  " << conn << "  \n";
    std::ofstream(sharedFile) << conn;
    std::ofstream(blank) << "\n \n";
    ::chmod(privateFile.c_str(), 0600);
    ::chmod(sharedFile.c_str(), 0644);
    const struct {
        std::vector<std::string> source;
        int status;
        const char* said; // on standard error; "" for nothing
    } cases[] = {
        {{"--odbc-file", privateFile}, 0, ""},
        {{"--odbc-env", "PELMORA_TEST_ODBC"}, 0, ""},
        {{"--odbc-file", sharedFile}, 0, "다른 사용자도 읽을 수 있습니다"},
        {{"--odbc", conn}, 0, "다른 사용자도 볼 수 있습니다"},
        {{"--odbc-env", "PELMORA_TEST_NONE"}, 2, "환경 변수 PELMORA_TEST_NONE에 연결 문자열이 없습니다."},
        {{"--odbc-file", blank}, 2, "연결 문자열 파일이 비어 있습니다"},
        {{"--odbc-file", dir.file("none")}, 2, "연결 문자열 파일을 읽을 수 없습니다"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args = c.source;
        for (const auto& a : {"--header", kHeader.c_str(), "--lines", kLines.c_str()})
            args.push_back(a);
        Outcome r = run(args, "", {{"PELMORA_TEST_ODBC", conn}});
        EXPECT_EQ(r.status, c.status) << c.source[0] << r.err;
        if (c.status == 0) {
            EXPECT_EQ(r.out, expected) << c.source[0];
        }
        if (*c.said) {
            EXPECT_NE(r.err.find(c.said), std::string::npos) << r.err;
        } else {
            EXPECT_EQ(r.err, "") << c.source[0];
        }
        EXPECT_EQ(r.err.find(feeDb + ";"), std::string::npos); // the string itself is never echoed
    }
}

// Without a protocol version a silent server would hold the login forever;
// the pinned one makes it give up at its time-out.
TEST_F(Calc, ASilentServerFailsWithinTheLoginTimeOut) {
    test::SilentListener server;
    const std::string file = dir.file("conn");
    std::ofstream(file) << "DRIVER=" << kTdsDriverPath << ";Server=127.0.0.1;Port=" << server.port()
                        << ";Database=DB_WebTOLA;UID=sa;PWD=secret";
    ::chmod(file.c_str(), 0600);
    const auto start = std::chrono::steady_clock::now();
    Outcome r = run({"--odbc-file", file, "--header", kHeader});
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(30));
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("HYT00"), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find("secret"), std::string::npos);
}

} // namespace
