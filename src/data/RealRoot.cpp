#include "RealRoot.h"

#include "FeeSchedule.h"
#include "ImportError.h"
#include "ReferenceFacts.h"
#include "ReferenceFileWriter.h"
#include "ReferenceFiles.h"
#include "SqliteConnection.h"
#include "TsvTable.h"
#include "util/Currency.h"

#include <array>
#include <map>
#include <memory>

namespace fs = std::filesystem;

namespace pelmora {

bool RealRoot::hasReferenceFiles(const fs::path& root) {
    for (std::size_t i = 0; i < ReferenceFiles::kCount; ++i)
        if (fs::exists(ReferenceFiles::file(root, i))) return true;
    return false;
}

RealRootSummary RealRoot::make(const fs::path& root, bool replace) {
    if (!replace && hasReferenceFiles(root))
        throw ImportError(ImportError::Kind::Exists,
                          "이미 참조 파일이 있습니다: " + ReferenceFiles::folder(root).string());
    fs::create_directories(ReferenceFiles::dataFolder(root));
    std::array<std::unique_ptr<ReferenceFileWriter>, ReferenceFiles::kCount> files;
    for (std::size_t i = 0; i < ReferenceFiles::kCount; ++i)
        files[i] = std::make_unique<ReferenceFileWriter>(root, i, ReferenceFileWriter::From::Empty);
    RealRootSummary s;
    s.feeRows = writeFeeSchedule(files[ReferenceFiles::kFee]->db());
    s.holidays = writeHolidays(files[ReferenceFiles::kHoliday]->db());
    for (auto& f : files)
        f->commit();
    return s;
}

namespace {

std::string trimmed(const std::string& s) {
    const auto b = s.find_first_not_of(" \t\r\n");
    return b == std::string::npos ? std::string() : s.substr(b, s.find_last_not_of(" \t\r\n") - b + 1);
}

[[noreturn]] void badTable(const std::string& why) {
    throw ImportError(ImportError::Kind::BadFile, "수가 항목표를 읽을 수 없습니다: " + why);
}

// The items of the table by year, the last of a code in a year winning.
std::map<int, std::map<std::string, PublishedFee>> feeItems(const TsvTable& table) {
    auto column = [&](const char* name) {
        for (std::size_t i = 0; i < table.header().size(); ++i)
            if (trimmed(table.header()[i]) == name) return i;
        badTable(std::string("'") + name + "' 열이 없습니다");
    };
    const std::size_t year = column("연도"), name = column("항목"), code = column("수가코드"),
                      won = column("금액");
    std::map<int, std::map<std::string, PublishedFee>> items;
    for (std::size_t i = 0; i < table.rows().size(); ++i) {
        const auto& r = table.rows()[i];
        const std::string where = std::to_string(i + 2) + "번째 줄: ";
        auto cell = [&](std::size_t c) { return c < r.size() ? trimmed(r[c]) : std::string(); };
        const std::string y = cell(year), c = cell(code);
        const auto amount = Currency::tryParse(cell(won));
        if (y.size() != 4 || y.find_first_not_of("0123456789") != std::string::npos || y < "2000")
            badTable(where + "연도 '" + y + "'");
        if (c.empty()) badTable(where + "수가코드가 비었습니다");
        if (!amount || !amount->isWhole() || *amount < Currency{})
            badTable(where + "금액 '" + cell(won) + "'");
        items[std::stoi(y)][c] = PublishedFee{c, cell(name), amount->toInt64()};
    }
    if (items.empty()) badTable("항목이 없습니다");
    return items;
}

} // namespace

FeeYearSummary RealRoot::addFeeYear(const fs::path& root, std::string_view tsv) {
    const auto years = feeItems(TsvTable(tsv));
    ReferenceFileWriter file(root, ReferenceFiles::kFee, ReferenceFileWriter::From::Current);
    SqliteConnection& db = file.db();
    FeeYearSummary s;
    s.firstYear = years.begin()->first;
    s.lastYear = years.rbegin()->first;
    for (const auto& [year, byCode] : years) {
        std::vector<PublishedFee> items;
        for (const auto& [code, item] : byCode)
            items.push_back(item);
        for (const FeeRow& r : FeeSchedule::yearRows(year, items)) {
            const Currency won = Currency::fromWon(r.won);
            RecordSet had =
                db.query("SELECT 수가명, 수가단가 FROM DBF심평원수 WHERE 수가코드 = ? AND 수가일자 = ?",
                         {r.code, r.date});
            if (had.recordCount() == 1 && had.field("수가명").toText() == r.name &&
                had.field("수가단가").toCurrency() == won) {
                ++s.unchanged;
                continue;
            }
            (had.eof() ? s.added : s.replaced) += 1;
            db.execute("DELETE FROM DBF심평원수 WHERE 수가코드 = ? AND 수가일자 = ?", {r.code, r.date});
            db.execute("INSERT INTO DBF심평원수 (수가코드, 수가명, 수가단가, 수가일자) VALUES (?,?,?,?)",
                       {r.code, r.name, won, r.date});
        }
    }
    if (s.added + s.replaced > 0) file.commit(); // else the file stays untouched
    return s;
}

long long RealRoot::writeFeeSchedule(SqliteConnection& db) {
    const FeeSchedule fees;
    for (const auto& r : fees.rows())
        db.execute("INSERT INTO DBF심평원수 (수가코드, 수가명, 수가단가, 수가일자) VALUES (?,?,?,?)",
                   {r.code, r.name, Currency::fromWon(r.won), r.date});
    return static_cast<long long>(fees.rows().size());
}

long long RealRoot::writeHolidays(SqliteConnection& db) {
    const TsvTable holidays(kHolidaysTsv);
    for (const auto& r : holidays.rows())
        db.execute("INSERT INTO 공휴일 (공휴일자, 설명) VALUES (?, ?)", {r.at(0), r.at(1)});
    return static_cast<long long>(holidays.rows().size());
}

} // namespace pelmora
