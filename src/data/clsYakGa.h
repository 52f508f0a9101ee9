#pragma once
// The drug price lookup over the national drug price list and the pack-unit
// list: one price by code and date (three ways of matching the code), the
// price in force before a date, and the search list of the drug search
// window. One instance is shared by the drug grid and the search window.

#include "DrugSearchList.h"
#include "RecordSet.h"
#include "RefConnection.h"
#include "util/Currency.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace pelmora {

class clsYakGa {
  public:
    // The connection must outlive the object.
    explicit clsYakGa(RefConnection& cn) : cn_(cn) {}

    // RecordSelect: 0 the row starting on vcYakDt, 1 the row valid on it,
    // 2 (and any other value) an 8-character code against characters 2 to 9
    // of the standard code, valid on vcYakDt.
    void RecordSelect();
    // The last price row that took effect strictly before vcYakDt.
    void RecordSelectBibo();
    // The search list at YakDt (today when it is no date): by code (YakSn 0
    // and any other value), name (1) or maker (2) containing YakTxt, sorted
    // by name. rs keeps what it held when the query fails.
    void RecordList(const std::string& YakDt, std::int16_t YakSn, const std::string& YakTxt, RecordSet& rs);
    // The same list handed out a part at a time (the search window shows its
    // first screenful before reading the rest); sets FindResult and
    // FindCount. nullptr when the query failed, which was reported.
    // beforeQuery runs when the list cannot come from the connection's search
    // index and its query, which may take a while, is about to run.
    std::unique_ptr<DrugSearchList> RecordListPaged(const std::string& YakDt, std::int16_t YakSn,
                                                    const std::string& YakTxt,
                                                    const std::function<void()>& beforeQuery = {});

    std::int16_t Mode = 0;
    bool FindResult = false;
    std::int32_t FindCount = 0;
    std::string vcYakCd;
    std::string vcYakDt;
    std::string vcYakGu;
    Currency mYakPr;
    std::string vcYakTo;
    std::string vcYakNm;
    std::string vcYakTakDan;
    std::string vcYakCmp;
    std::string vcYakBun;
    std::string vcYakJuCd;
    std::string vcYakJun;
    std::string iYakPac = "0";
    std::string vcYakRnd;

  private:
    void load(const std::string& sql, const std::vector<RefParam>& params);
    RecordSet listQuery(const std::string& date, std::int16_t YakSn, const std::string& YakTxt);
    RefConnection& cn_;
};

} // namespace pelmora
