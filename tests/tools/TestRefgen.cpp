#include "DrugList.h"
#include "data/FeeSchedule.h"
#include "RefGenerator.h"
#include "charge/FeeCodes.h"
#include "charge/clsAccount.h"
#include "data/LinkDatabase.h"
#include "data/ReferenceFiles.h"
#include "data/clsHoliday.h"
#include "data/clsSpesial.h"
#include "data/clsYakGa.h"
#include "support/RecordingMessage.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

using namespace pelmora;
namespace fs = std::filesystem;

namespace {

// One generated root for the whole suite, opened through the link database.
class Refgen : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        dir = new test::TempDir;
        refgen::Options o;
        o.drugs = 400;
        o.institutions = 300;
        refgen::RefGenerator::generate(dir->path(), o);
        ASSERT_TRUE(ConnectLocalMdb(dir->path(), link));
    }
    static void TearDownTestSuite() {
        link.reset();
        delete dir;
    }
    static RefConnection& cn() { return link->connection(); }
    static RecordSet q(const std::string& sql) { return cn().query(sql, {}); }

    static test::TempDir* dir;
    static std::unique_ptr<LinkDatabase> link;
};
test::TempDir* Refgen::dir = nullptr;
std::unique_ptr<LinkDatabase> Refgen::link;

std::vector<std::vector<std::string>> tsv(const std::string& name) {
    std::ifstream in(std::string(PELMORA_SOURCE_DIR) + "/data/" + name);
    std::vector<std::vector<std::string>> rows;
    std::string line;
    std::getline(in, line);
    while (std::getline(in, line)) {
        std::vector<std::string> f;
        std::stringstream ss(line);
        for (std::string x; std::getline(ss, x, '\t');)
            f.push_back(x);
        if (!f.empty()) rows.push_back(f);
    }
    return rows;
}

TEST_F(Refgen, EveryTableHasTheColumnsTheProgramReads) {
    const std::map<std::string, std::vector<std::string>> columns = {
        {"DBF심평원수", {"수가코드", "수가명", "수가단가", "수가일자"}},
        {"DBF심평원약",
         {"표준코드", "코드", "약품명", "업소명", "규격단위", "급여구분", "상한가", "분류번호", "주성분코드",
          "임의조제", "적용시작일", "적용종료일"}},
        {"팩단위약", {"코드"}},
        {"공휴일", {"공휴일자", "설명"}},
        {"병원종병", {"요양기관", "주소", "요양종별", "본인부담률", "적용시작일", "적용종료일"}},
        {"특정기호", {"특정기호", "대상", "특례적용", "적용일자"}},
        {"고시적용일", {"고시적용일"}}};
    for (const auto& [table, cols] : columns) {
        std::set<std::string> have;
        for (auto rs = q("PRAGMA table_info(" + table + ")"); !rs.eof(); rs.moveNext())
            have.insert(rs.field("name").toText());
        for (const auto& c : cols)
            EXPECT_TRUE(have.count(c)) << table << "." << c;
        EXPECT_GT(q("SELECT count(*) AS n FROM " + table).field("n").toInt32(), 0) << table;
    }
}

TEST_F(Refgen, TheHolidaysOf2024AreTheRealOnes) {
    std::vector<std::pair<std::string, std::string>> expected;
    for (const auto& r : tsv("holidays-kr.tsv"))
        if (r[0].rfind("2024", 0) == 0) expected.emplace_back(r[0], r[1]);
    ASSERT_EQ(expected.size(), 19u);
    std::vector<std::pair<std::string, std::string>> stored;
    for (auto rs = q("SELECT 공휴일자, 설명 FROM 공휴일 WHERE 공휴일자 LIKE '2024%' ORDER BY 1"); !rs.eof();
         rs.moveNext())
        stored.emplace_back(rs.field("공휴일자").toText(), rs.field("설명").toText());
    EXPECT_EQ(stored, expected);
    clsHoliday h(cn());
    h.HoliDt = "20240410"; // the general election
    h.RecordSelect();
    EXPECT_TRUE(h.FindResult);
    h.HoliDt = "20240411";
    h.RecordSelect();
    EXPECT_FALSE(h.FindResult);
}

// Every code the fee rules build for any prescription shape has a price row
// on or before the dispensing date.
TEST_F(Refgen, EveryFeeCodeTheRulesBuildExists) {
    std::map<std::string, std::string> since;
    for (auto rs = q("SELECT 수가코드, min(수가일자) AS d FROM DBF심평원수 GROUP BY 1"); !rs.eof();
         rs.moveNext())
        since[rs.field("수가코드").toText()] = rs.field("d").toText();
    const char* dates[] = {"20090101", "20100615", "20110630", "20110701", "20111231",
                           "20120101", "20130228", "20130301", "20130930", "20131001",
                           "20170630", "20170701", "20200101", "20240315", "20261231"};
    const int lines[][3] = {{1, 0, 0}, {1, 1, 0}, {0, 1, 0}, {0, 0, 1}, {1, 0, 1}};
    std::set<std::string> missing;
    std::size_t checked = 0;
    for (const char* date : dates)
        for (const auto& l : lines)
            for (int days : {0,  1,  2,  5,  9,  13, 14, 15, 16, 20, 21, 25, 26, 30,
                             31, 40, 41, 50, 51, 60, 61, 70, 71, 80, 81, 90, 91, 180})
                for (std::int16_t age = 1; age <= 3; ++age)
                    for (std::int16_t hours = 1; hours <= 5; ++hours)
                        for (int flags = 0; flags < 16; ++flags) {
                            FeeShape s;
                            s.internal = static_cast<std::int16_t>(l[0]);
                            s.external = static_cast<std::int16_t>(l[1]);
                            s.injection = static_cast<std::int16_t>(l[2]);
                            s.days = static_cast<std::int16_t>(days);
                            s.ageClass = age;
                            s.afterHours = hours;
                            s.date = date;
                            s.packAll = flags & 1;
                            s.variant = (flags & 2) ? 1 : 2;
                            s.narcotics = (flags & 4) ? 1 : 0;
                            s.selfInjection = (flags & 8) ? 1 : 2;
                            std::vector<std::string> codes;
                            for (const auto& c : FeeCodes::items(s))
                                codes.push_back(c);
                            if (FeeCodes::saturday(s))
                                for (const auto& c : FeeCodes::saturdayItems(s))
                                    codes.push_back(c);
                            for (const auto& c : codes) {
                                if (c.empty()) continue;
                                ++checked;
                                auto it = since.find(c);
                                if (it == since.end() || it->second > date) missing.insert(c + " on " + date);
                            }
                        }
    EXPECT_GT(checked, 100000u);
    EXPECT_TRUE(missing.empty()) << missing.size() << " missing, e.g. " << *missing.begin();
}

// The published totals come out of the charge engine: an adult, normal
// hours, internal drugs only, health insurance.
TEST_F(Refgen, ThePublishedTotalsComeOutOfTheChargeEngine) {
    auto fees = [&](const std::string& date, int days, bool narcotics) {
        clsAccount a;
        std::string header = "1#1#1#30#1#1#1#2#" + date + "#0#2#" + (narcotics ? "1" : "0") + "#2#$";
        std::string line =
            "641900010#1#1#" + std::to_string(days) + "#급여#내복#100#0#0#" + std::to_string(days) + "#0#0#$";
        a.SubAcount(header, line, cn());
        return a.보험_조제료전체_단가;
    };
    test::RecordingMessage box;
    EXPECT_EQ(fees("20240601", 3, false), Currency::fromWon(6610));
    int rows = 0;
    for (const auto& r : tsv("fee-totals-kr.tsv")) {
        EXPECT_EQ(fees(r[0] + "0315", std::stoi(r[1]), r[2] == "예"), Currency::fromWon(std::stoll(r[3])))
            << r[0] << " " << r[1] << " days " << r[2];
        ++rows;
    }
    EXPECT_EQ(rows, 69);
    EXPECT_TRUE(box.boxes.empty());
}

TEST_F(Refgen, DrugsCoverEveryClassRouteAndTheTwinCodes) {
    std::set<std::string> classes;
    for (auto rs = q("SELECT DISTINCT 급여구분 FROM DBF심평원약"); !rs.eof(); rs.moveNext())
        classes.insert(rs.field("급여구분").toText());
    EXPECT_EQ(classes,
              (std::set<std::string>{"급여", "비급여", "100/100", "50/100", "80/100", "30/100", "90/100"}));
    auto n = [&](const std::string& where) {
        return q("SELECT count(DISTINCT 표준코드) AS n FROM DBF심평원약 WHERE " + where).field("n").toInt32();
    };
    EXPECT_EQ(n("1"), 500);
    EXPECT_EQ(q("SELECT count(*) AS n FROM DBF심평원약").field("n").toInt32(), 500 * 15);
    for (const char* route : {"(내복)", "(외용)", "(주사)"})
        EXPECT_GT(n(std::string("약품명 LIKE '%") + route + "'"), 10);
    EXPECT_EQ(n("length(표준코드) <> 9"), 0);
    EXPECT_EQ(n("급여구분 = '비급여' AND 상한가 <> 0"), 0);
    EXPECT_GT(n("임의조제 = '마약'"), 0);

    clsYakGa yak(cn());
    for (const char* j : refgen::DrugList::twinCodes()) {
        yak.Mode = 1;
        yak.vcYakDt = "20240601";
        yak.vcYakCd = std::string(j).substr(0, 8) + "0";
        yak.RecordSelect();
        ASSERT_TRUE(yak.FindResult) << j;
        Currency twin = yak.mYakPr;
        yak.vcYakCd = j;
        yak.RecordSelect();
        ASSERT_TRUE(yak.FindResult) << j;
        EXPECT_GT(twin, yak.mYakPr) << j;
    }
    std::string pack = q("SELECT 코드 FROM 팩단위약 LIMIT 1").field("코드").toText();
    yak.vcYakCd = pack;
    yak.RecordSelect();
    EXPECT_EQ(yak.iYakPac, "1");
}

TEST_F(Refgen, InstitutionsAndSpecialCodes) {
    EXPECT_GT(q("SELECT count(*) AS n FROM 병원종병 WHERE substr(요양기관,3,1) = '7'").field("n").toInt32(),
              0);
    EXPECT_EQ(q("SELECT count(DISTINCT 요양기관) AS n FROM 병원종병").field("n").toInt32(), 300);
    clsSpesial sp(cn());
    for (const char* code : {"V252", "V206", "V231", "V246"}) {
        sp.SpeCd = code;
        sp.RecordSelect("20240601");
        EXPECT_TRUE(sp.FindResult) << code;
    }
    sp.SpeCd = "V231";
    sp.RecordSelect("20120601");
    EXPECT_EQ(sp.SpeGu, 2);
    sp.SpeCd = "V231";
    sp.RecordSelect("20150101");
    EXPECT_EQ(sp.SpeGu, 3);
}

TEST(RefgenRuns, TheSameSeedWritesTheSameData) {
    auto digest = [](std::uint64_t seed) {
        test::TempDir d;
        refgen::Options o;
        o.drugs = 50;
        o.institutions = 20;
        o.seed = seed;
        refgen::RefGenerator::generate(d.path(), o);
        std::string all;
        for (std::size_t i = 0; i < ReferenceFiles::kCount; ++i) {
            std::ifstream in(ReferenceFiles::file(d.path(), i), std::ios::binary);
            all += std::string(std::istreambuf_iterator<char>(in), {});
        }
        return all;
    };
    EXPECT_EQ(digest(7), digest(7));
    EXPECT_NE(digest(7), digest(8));
}

std::string run(const std::string& command, int& status) {
    std::string out;
    FILE* p = ::popen(command.c_str(), "r");
    if (!p) return out;
    char buf[4096];
    for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, p)) > 0;)
        out.append(buf, n);
    status = ::pclose(p);
    return out;
}

// The demo root as the run script makes it, priced by the command-line tool.
TEST(RefgenRuns, TheCommandsWriteAndPriceADemoRoot) {
    const std::string bin = PELMORA_BINARY_DIR;
    if (!fs::exists(bin + "/tools/pelmora-calc/pelmora-calc")) GTEST_SKIP() << "pelmora-calc is not built";
    test::TempDir d;
    const std::string root = (d.path() / "demo root").string();
    int status = -1;
    std::string out =
        run(bin + "/tools/pelmora-refgen/pelmora-refgen --root '" + root + "' --drugs 100", status);
    ASSERT_EQ(status, 0) << out;
    EXPECT_NE(out.find("drug price rows"), std::string::npos) << out;
    out = run(bin + "/tools/pelmora-calc/pelmora-calc --root '" + root +
                  "' --header '1#1#1#30#1#1#1#2#20240601#0#2#0#2#$' --lines "
                  "'641900010#1#1#3#급여#내복#100#0#0#3#0#0#$'",
              status);
    ASSERT_EQ(status, 0) << out;
    EXPECT_NE(out.find("\"보험_조제료전체_단가\":\"6610.0000\""), std::string::npos) << out;
    EXPECT_NE(out.find("\"보험_내복조제료_코드\":\"Z4103\""), std::string::npos) << out;

    out = run(bin + "/tools/pelmora-refgen/pelmora-refgen --drugs 5 2>&1", status);
    EXPECT_NE(status, 0);
    EXPECT_NE(out.find("--root"), std::string::npos) << out;
    out = run(bin + "/tools/pelmora-refgen/pelmora-refgen --help", status);
    EXPECT_EQ(status, 0);
    EXPECT_NE(out.find("Published figures"), std::string::npos);
    EXPECT_NE(out.find("Demo values"), std::string::npos);
}

TEST(RefgenRuns, BadOptionsWriteNothing) {
    test::TempDir d;
    for (auto [drugs, years] : {std::pair{-1, 15}, {200000, 15}, {10, 0}, {10, 40}}) {
        refgen::Options o;
        o.drugs = drugs;
        o.years = years;
        EXPECT_THROW(refgen::RefGenerator::generate(d.path(), o), std::invalid_argument);
    }
    EXPECT_FALSE(fs::exists(ReferenceFiles::folder(d.path())));
}

} // namespace
