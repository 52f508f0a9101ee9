#pragma once
// The fee schedule of the demo data: every code the fee rules can build
// (each after-hours, age, Saturday and day-band variant) with a price row
// for each yearly change from 2009 on. The normal-hours items of an adult
// internal-drug prescription add up to the published totals of every year
// and day count that has one; the other amounts are points times the year's
// conversion factor.

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace pelmora::refgen {

struct FeeRow {
    std::string code;
    std::string name;
    std::int64_t won = 0;
    std::string date; // 수가일자, YYYYMMDD
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

  private:
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

} // namespace pelmora::refgen
