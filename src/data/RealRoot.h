#pragma once
// A pharmacy's installation root from published data only: the fee schedule
// built from the published figures and the public holidays, with an empty
// drug price list (the national list file fills it) and empty tables of
// care institutions, special codes and pack-unit drugs. Nothing invented
// goes in. The demo generator writes the same published parts beside its own.

#include <filesystem>
#include <string_view>

namespace pelmora {

class SqliteConnection;

struct RealRootSummary {
    long long feeRows = 0, holidays = 0;
};

struct FeeYearSummary {
    int firstYear = 0, lastYear = 0;
    long long added = 0;     // price rows new to the fee schedule
    long long replaced = 0;  // rows of the same code and date with another amount
    long long unchanged = 0; // rows already there as given
};

class RealRoot {
  public:
    // Whether any of the six reference files is under root.
    static bool hasReferenceFiles(const std::filesystem::path& root);

    // Writes the six reference files under root (and makes root/Data).
    // Raises ImportError: Exists when reference files are there and replace
    // is false, Busy or Failed; files already renamed stay, the rest as
    // they were.
    static RealRootSummary make(const std::filesystem::path& root, bool replace = false);

    // A newly published table of fee items: tab-separated text whose header
    // names 연도, 항목, 수가코드 and 금액 (other columns are ignored), as in
    // data/fee-items-kr.tsv. Each item gets its price rows from 1 January of
    // its year (FeeSchedule::yearRows); the rows of earlier years stay and
    // end where the new ones begin. Adding the same table again changes
    // nothing and leaves the file untouched. Raises ImportError.
    static FeeYearSummary addFeeYear(const std::filesystem::path& root, std::string_view tsv);

    // The published parts, into open reference files; each returns its rows.
    static long long writeFeeSchedule(SqliteConnection& db);
    static long long writeHolidays(SqliteConnection& db);
};

} // namespace pelmora
