#include "RefGenerator.h"

#include "DrugList.h"
#include "Institutions.h"
#include "data/FeeSchedule.h"
#include "data/RealRoot.h"
#include "data/ReferenceFileWriter.h"
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
    fs::create_directories(ReferenceFiles::dataFolder(root));
    using W = ReferenceFileWriter;
    std::array<std::unique_ptr<W>, ReferenceFiles::kCount> f;
    for (std::size_t i = 0; i < ReferenceFiles::kCount; ++i)
        f[i] = std::make_unique<W>(root, i, W::From::Empty);
    auto db = [&](std::size_t i) -> SqliteConnection& { return f[i]->db(); };
    Summary s;
    s.feeRows = RealRoot::writeFeeSchedule(db(ReferenceFiles::kFee));
    s.drugRows =
        DrugList::write(db(ReferenceFiles::kDrug), db(ReferenceFiles::kPack), o.drugs, o.years, o.seed);
    s.holidays = RealRoot::writeHolidays(db(ReferenceFiles::kHoliday));
    Institutions::write(db(ReferenceFiles::kHosp), o.institutions, o.seed);
    Institutions::writeSpecialCodes(db(ReferenceFiles::kSpecial));
    s.specialCodes = count(db(ReferenceFiles::kSpecial), "특정기호");
    s.institutions = o.institutions;
    s.packDrugs = count(db(ReferenceFiles::kPack), "팩단위약");
    for (auto& file : f)
        file->commit();
    s.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    return s;
}

} // namespace pelmora::refgen
