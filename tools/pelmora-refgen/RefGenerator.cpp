#include "RefGenerator.h"

#include "DrugList.h"
#include "Facts.h"
#include "FeeSchedule.h"
#include "Institutions.h"
#include "TsvTable.h"
#include "data/ReferenceFiles.h"
#include "data/SqliteConnection.h"

#include <array>
#include <chrono>
#include <memory>
#include <stdexcept>

namespace fs = std::filesystem;

namespace pelmora::refgen {

namespace {

long long count(SqliteConnection& db, const std::string& table) {
    return db.query("SELECT count(*) AS n FROM " + table).field("n").toInt32();
}

} // namespace

Summary RefGenerator::generate(const fs::path& root, const Options& o) {
    if (o.drugs < 0 || o.drugs > DrugList::kMaxDrugs)
        throw std::invalid_argument("--drugs must be 0 to " + std::to_string(DrugList::kMaxDrugs));
    if (o.years < 1 || o.years > FeeSchedule::kLastYear - 2000)
        throw std::invalid_argument("--years must be 1 to " + std::to_string(FeeSchedule::kLastYear - 2000));
    if (o.institutions < 0 || o.institutions > 500000)
        throw std::invalid_argument("--institutions must be 0 to 500000");
    const auto started = std::chrono::steady_clock::now();
    fs::create_directories(ReferenceFiles::folder(root));
    fs::create_directories(ReferenceFiles::dataFolder(root));

    std::array<fs::path, ReferenceFiles::kCount> temp;
    std::array<std::unique_ptr<SqliteConnection>, ReferenceFiles::kCount> db;
    try {
        for (std::size_t i = 0; i < ReferenceFiles::kCount; ++i) {
            temp[i] = ReferenceFiles::file(root, i).string() + ".new";
            fs::remove(temp[i]);
            db[i] = SqliteConnection::create(temp[i].string());
            // a file that is not complete is thrown away, so it needs no journal
            db[i]->executeScript("PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF;");
            ReferenceFiles::createSchema(*db[i], i);
            db[i]->begin();
        }
        Summary s;
        FeeSchedule fees;
        for (const auto& r : fees.rows())
            db[ReferenceFiles::kFee]->execute(
                "INSERT INTO DBF심평원수 (수가코드, 수가명, 수가단가, 수가일자) VALUES (?,?,?,?)",
                {r.code, r.name, Currency::fromWon(r.won), r.date});
        s.feeRows = static_cast<long long>(fees.rows().size());
        s.drugRows =
            DrugList::write(*db[ReferenceFiles::kDrug], *db[ReferenceFiles::kPack], o.drugs, o.years, o.seed);
        for (const TsvTable holidays(kHolidaysTsv); const auto& r : holidays.rows())
            db[ReferenceFiles::kHoliday]->execute("INSERT INTO 공휴일 (공휴일자, 설명) VALUES (?, ?)",
                                                  {r[0], r[1]});
        Institutions::write(*db[ReferenceFiles::kHosp], o.institutions, o.seed);
        Institutions::writeSpecialCodes(*db[ReferenceFiles::kSpecial]);
        for (auto& d : db)
            d->commit();
        s.holidays = count(*db[ReferenceFiles::kHoliday], "공휴일");
        s.institutions = o.institutions;
        s.specialCodes = count(*db[ReferenceFiles::kSpecial], "특정기호");
        s.packDrugs = count(*db[ReferenceFiles::kPack], "팩단위약");
        for (std::size_t i = 0; i < ReferenceFiles::kCount; ++i) {
            db[i].reset();
            fs::rename(temp[i], ReferenceFiles::file(root, i));
            // reference data is no secret: every account of the pharmacy may read it
            fs::permissions(ReferenceFiles::file(root, i), fs::perms::owner_read | fs::perms::owner_write |
                                                               fs::perms::group_read |
                                                               fs::perms::others_read);
        }
        s.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
        return s;
    } catch (...) {
        for (std::size_t i = 0; i < ReferenceFiles::kCount; ++i) {
            db[i].reset();
            std::error_code ec;
            if (!temp[i].empty()) fs::remove(temp[i], ec);
        }
        throw;
    }
}

} // namespace pelmora::refgen
