#pragma once
// A small set of the six reference files for tests: the files with their
// tables under <root>/TX60/SubPrg, and one-line adders for their rows. With
// no root, every table lives in one in-memory database, for lookup tests
// that need no link database.

#include "data/ReferenceFiles.h"
#include "data/SqliteConnection.h"

#include <array>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace pelmora::test {

struct DrugRow {
    std::string code{};        // 표준코드
    std::string name{};        // 약품명, with its route ending
    std::string price = "100"; // 상한가
    std::string start = "20000101";
    std::string end = "99991231";
    std::string coverage = "급여"; // 급여구분
    std::string maker = "한빛제약";
    std::string oldCode{}; // 코드
    std::string unit = "1정";
    std::string classNo = "114";
    std::string ingredient = "100101ATB";
    std::string flag{}; // 임의조제
};

class RefFixture {
  public:
    // The six files under root (created when missing), tables made.
    explicit RefFixture(const std::filesystem::path& root) : root_(root) {
        std::filesystem::create_directories(ReferenceFiles::folder(root));
        for (std::size_t i = 0; i < ReferenceFiles::kCount; ++i) {
            auto path = ReferenceFiles::file(root, i).string();
            dbs_[i] =
                std::filesystem::exists(path) ? SqliteConnection::open(path) : SqliteConnection::create(path);
            dbs_[i]->executeScript("PRAGMA synchronous=OFF"); // test files need no crash safety
            if (dbs_[i]->query("SELECT name FROM sqlite_master").eof())
                ReferenceFiles::createSchema(*dbs_[i], i);
        }
    }
    // Every table in one in-memory database.
    RefFixture() {
        dbs_[0] = SqliteConnection::memory();
        for (std::size_t i = 0; i < ReferenceFiles::kCount; ++i)
            ReferenceFiles::createSchema(*dbs_[0], i);
    }

    const std::filesystem::path& root() const { return root_; }
    SqliteConnection& db(std::size_t file) { return dbs_[file] ? *dbs_[file] : *dbs_[0]; }
    void exec(std::size_t file, const std::string& sql, const std::vector<Variant>& params = {}) {
        db(file).execute(sql, params);
    }

    RefFixture& drug(const DrugRow& d) {
        exec(ReferenceFiles::kDrug,
             "INSERT INTO DBF심평원약 (표준코드, 코드, 약품명, 업소명, 규격단위, 급여구분, 상한가, 분류번호,"
             " 주성분코드, 임의조제, 적용시작일, 적용종료일) VALUES (?,?,?,?,?,?,?,?,?,?,?,?)",
             {d.code, d.oldCode, d.name, d.maker, d.unit, d.coverage, Currency::parse(d.price), d.classNo,
              d.ingredient, d.flag, d.start, d.end});
        return *this;
    }
    RefFixture& pack(const std::string& code) {
        exec(ReferenceFiles::kPack, "INSERT INTO 팩단위약 (코드) VALUES (?)", {code});
        return *this;
    }
    RefFixture& notice(const std::string& date) {
        exec(ReferenceFiles::kDrug, "INSERT INTO 고시적용일 (고시적용일) VALUES (?)", {date});
        return *this;
    }
    RefFixture& holiday(const std::string& date, const std::string& name) {
        exec(ReferenceFiles::kHoliday, "INSERT INTO 공휴일 (공휴일자, 설명) VALUES (?, ?)", {date, name});
        return *this;
    }
    RefFixture& hosp(const std::string& code, const std::string& cls, int rate,
                     const std::string& start = "20000101", const std::string& end = "99991231",
                     const std::string& addr = "서울특별시 중구") {
        exec(ReferenceFiles::kHosp,
             "INSERT INTO 병원종병 (요양기관, 주소, 요양종별, 본인부담률, 적용시작일, 적용종료일) VALUES "
             "(?,?,?,?,?,?)",
             {code, addr, cls, std::int32_t{rate}, start, end});
        return *this;
    }
    RefFixture& special(const std::string& code, const std::string& target, int flag,
                        const std::string& date) {
        exec(ReferenceFiles::kSpecial,
             "INSERT INTO 특정기호 (특정기호, 대상, 특례적용, 적용일자) VALUES (?,?,?,?)",
             {code, target, std::int32_t{flag}, date});
        return *this;
    }
    RefFixture& fee(const std::string& code, const std::string& name, const std::string& price,
                    const std::string& date) {
        exec(ReferenceFiles::kFee,
             "INSERT INTO DBF심평원수 (수가코드, 수가명, 수가단가, 수가일자) VALUES (?,?,?,?)",
             {code, name, Currency::parse(price), date});
        return *this;
    }

  private:
    std::filesystem::path root_;
    std::array<std::unique_ptr<SqliteConnection>, ReferenceFiles::kCount> dbs_;
};

} // namespace pelmora::test
