#pragma once
// The prescription header store: one row of table Main per saved
// prescription. A caller fills the properties and calls Update with a mode,
// or sets PreCd and calls RecordSelect to load a row into them.

#include "PagedRecordSet.h"
#include "RecordSet.h"
#include "SqliteConnection.h"
#include "util/Currency.h"

#include <cstdint>
#include <memory>
#include <string>

namespace pelmora {

class clsMain {
  public:
    explicit clsMain(SqliteConnection& cn) : CnSqlite(&cn) {}

    bool ChangeMode = false;
    bool FindResult = false;
    // The caller has begun the transaction: Update then neither begins,
    // commits nor rolls back. A caller that inserts begins it immediate, so
    // two running copies never allocate the same key.
    bool csTrans_YN = false;
    // 0 insert, 1 update, 2 delete (the header only).
    int RecoardInsMode = 0;
    SqliteConnection* CnSqlite;

    std::string PreCd;
    std::int16_t MatSn = 0;
    std::string VerSn, PreDt, PreTm;
    Currency MoneyPr;
    std::string BonSn, UpDt, HospCd, HospNm, HospAddr, HospTel, HospFax, HospEmail, HospBizNo, DocNm, DocCd,
        PatNm, PatJumNo, PatCell;
    std::int16_t InsSn = 0;
    std::string InsNo, InsCd, InsNm, BohunNo, PatManRelSn, PatManNm, PatManJumNo, PatManAddr, PatManPost,
        PatManTel, DisCd1, DisCd2, PubDtNo, IndDt, SpeCd1, SpeCd2;
    std::int16_t LimDt = 0;
    std::string UsageMm, Mm;
    // The pricing choices as the prescription was priced (kept since 003):
    // the after-hours and age class indices, 자가투여주사 and 비급여 조제료
    // 계산안함 (1 ticked), and the rates of the two special codes.
    std::int16_t TimeSn = 0, AgeSn = 0, SelfInj = 0, NoBiboFee = 0;
    std::string SpeRate1, SpeRate2;
    // The row holds those choices: set by RecordSelect (a row stored before
    // they were kept does not); on writing, false leaves them NULL.
    bool PricingStored = false;

    // Writes by RecoardInsMode. An insert with any PreCd but "0000000000"
    // stores the row under a new key and leaves it in PreCd. An update of a
    // key that is not stored fails. Failures show the writers' boxes.
    void Update();
    // The next free key: the largest stored key + 1, "0000000001" at first.
    // Raises on a stored key that is not a number or on the last key.
    std::string NewPreCd();
    // Loads the row whose key is PreCd; a missing row clears every property.
    // NULL columns (rows stored before the migration) read as "" and 0.
    void RecordSelect();
    // All headers for the history list, newest first. Reads the whole result:
    // on a large store use RecordListPaged. False (after the error report)
    // when the query failed.
    bool RecordList(RecordSet& rs);
    // The same list read page by page as it is shown; nullptr (after the
    // error report) when the store could not be read.
    std::unique_ptr<PagedRecordSet> RecordListPaged();
    // Removes the prescription's lines and its header in one transaction
    // (the caller's, when csTrans_YN says it holds one). No message.
    void Delete(const std::string& PreCd);

  private:
    void clear();
};

} // namespace pelmora
