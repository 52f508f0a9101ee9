#pragma once
// The prescription line store: the drug lines of table Sub, keyed by the
// prescription key and a 3-digit line number counted within it.

#include "RecordSet.h"
#include "SqliteConnection.h"
#include "util/Currency.h"

#include <cstdint>
#include <string>

namespace pelmora {

class clsSub {
  public:
    explicit clsSub(SqliteConnection& cn) : CnSqlite(&cn) {}

    bool ChangeMode = false;
    bool FindResult = false;
    bool csTrans_YN = false;
    // 0 insert, 1 update, 2 delete one line, 3 delete all lines of PreCd.
    int RecoardInsMode = 0;
    SqliteConnection* CnSqlite;

    std::string PreCd;
    std::string RxdSn;
    Currency RxdPr;
    std::int16_t RxdInsSn = 0;
    std::int16_t RxdTaxSn = 0;
    std::string DrugCd, DrugNm;
    double Qty = 0;
    std::int32_t QtyCnt = 0, QtyDay = 0;
    std::string RxdUsageCd, RxdUsageNm;
    // The line's cells as priced (kept since 003): total quantity, package
    // unit, pack flag, maximum price, price difference credit, and the
    // substitution and narcotics flags.
    double QtyTot = 0;
    std::string DrugUnit;
    std::int16_t DrugPac = 0;
    Currency DrugMaxPr, PriceDiff;
    std::string DrugRnd;
    // The line holds those cells: set by RecordSelect (a line stored before
    // they were kept does not); on writing, false leaves them NULL.
    bool CellsStored = false;

    // Writes by RecoardInsMode. An insert always numbers the line itself
    // (NewRxdSn) and fails when the prescription's header is not stored; an
    // update of a line that is not stored fails. Failures show the writers'
    // boxes.
    void Update();
    // The next free line number of PreCd: "001" at first. A prescription
    // holds at most 999 lines; past that it raises overflow.
    std::string NewRxdSn();
    // Loads the first line of PreCd; none clears every property.
    void RecordSelect();
    // The lines of a prescription for display, in line order, with the
    // coverage label InsSn, the route label TaxSn and the amount Pr. False
    // (after the error report) when the query failed.
    bool RecordList(const std::string& PreCd, RecordSet& rs);

  private:
    void clear();
};

} // namespace pelmora
