#pragma once
// The fee schedule Pelmora writes into a root: every code the fee rules can build
// (each after-hours, age, Saturday and day-band variant) with a price row
// for each yearly change from 2009 on. The normal-hours items of an adult
// internal-drug prescription add up to the published totals of every year
// and day count that has one; the other amounts are points times the year's
// conversion factor.

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace pelmora {

struct FeeRow {
    std::string code;
    std::string name;
    std::int64_t won = 0;
    std::string date; // 수가일자, YYYYMMDD
};

// A published amount of one normal-hours item (Z1000, Z4103, …) in a year.
struct PublishedFee {
    std::string code;
    std::string name;
    std::int64_t won = 0;
};

class FeeSchedule {
  public:
    static constexpr int kFirstYear = 2009;
    static constexpr int kLastYear = 2026;

    // Raises std::logic_error when the published items and totals cannot
    // both be met.
    FeeSchedule();

    const std::vector<FeeRow>& rows() const { return rows_; }
    // The amount of a normal-hours item (a code of five characters) in force
    // from 1 January of the year; 0 when it has none.
    std::int64_t base(const std::string& code, int year) const;

    // Internal-dispensing code of the normal-hours items for a number of
    // days, and the drug-management code in force on 1 January of a year.
    static std::string internalCode(int days);
    static std::string drugManagementCode(int year, int days, bool narcotics);

    // The rows a newly published year adds: each item's amount from 1
    // January of the year, with every after-hours, age and Saturday code
    // priced from it by the same multipliers as the other years; a code the
    // rules do not build is added as given. Codes not among the items keep
    // their last amount.
    static std::vector<FeeRow> yearRows(int year, const std::vector<PublishedFee>& items);

    static std::int64_t round10(double won);
    static const std::vector<std::string>& internalCodes();
    static std::vector<std::string> dayDrugManagementCodes();

  private:
    struct Variant {
        std::string code, base;
        double times;
        std::string name, since;
    };
    static const std::vector<Variant>& variants();
    static std::optional<FeeRow> rowOf(const Variant& v, std::int64_t won, int year);

    void scaleDemoValues();
    void applyPublishedItems();
    void followPublishedItems();
    void meetPublishedTotals();
    void fillInternalFees();
    void checkPublishedTotals() const;
    void buildRows();

    std::map<std::string, std::map<int, std::int64_t>> base_;
    std::map<std::string, std::map<int, bool>> fixed_; // published or derived from a published total
    std::vector<FeeRow> rows_;
};

} // namespace pelmora
