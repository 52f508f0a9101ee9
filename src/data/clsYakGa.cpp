#include "clsYakGa.h"

#include "RefSql.h"
#include "RefValue.h"
#include "util/Messages.h"

namespace pelmora {

void clsYakGa::RecordSelect() {
    try {
        std::vector<RefParam> params{{vcYakCd, RefSql::kCodeSize}, {vcYakDt, RefSql::kDateSize}};
        if (Mode != 0) params.push_back({vcYakDt, RefSql::kDateSize});
        load(RefSql::yakGaSelect(cn_.dialect(), Mode), params);
    } catch (const RuntimeError& e) {
        showLookupError("clsYakGa : RecordSelect ", e);
    }
}

void clsYakGa::RecordSelectBibo() {
    try {
        load(RefSql::yakGaBibo(cn_.dialect()), {{vcYakCd, RefSql::kCodeSize}, {vcYakDt, RefSql::kDateSize}});
    } catch (const RuntimeError& e) {
        showLookupError("clsYakGa : RecordSelectBibo ", e);
    }
}

// Every field is read and converted before any property changes, so a row
// that cannot be read leaves the properties as they were.
void clsYakGa::load(const std::string& sql, const std::vector<RefParam>& params) {
    RecordSet rs = cn_.query(sql, params);
    if (rs.eof()) {
        vcYakCd = vcYakDt = vcYakGu = vcYakTo = vcYakNm = vcYakTakDan = "";
        vcYakCmp = vcYakBun = vcYakJuCd = vcYakJun = vcYakRnd = "";
        mYakPr = Currency{};
        iYakPac = "0";
        FindResult = false;
        FindCount = 0;
        return;
    }
    std::string cd = refText(rs, "vcYakCd"), dt = refText(rs, "vcYakDt"), gu = refText(rs, "vcYakGu");
    Currency pr = refMoney(rs, "mYakPr");
    std::string to = refText(rs, "vcYakTo"), nm = refText(rs, "vcYakNm"), dan = refText(rs, "vcYakTakDan");
    std::string cmp = refText(rs, "vcYakCmp"), bun = refText(rs, "vcYakBun"), ju = refText(rs, "vcYakJuCd");
    std::string jun = refText(rs, "vcYakJun"), pac = refText(rs, "iYakPac"), rnd = refText(rs, "vcYakRnd");
    vcYakCd = std::move(cd);
    vcYakDt = std::move(dt);
    vcYakGu = std::move(gu);
    mYakPr = pr;
    vcYakTo = std::move(to);
    vcYakNm = std::move(nm);
    vcYakTakDan = std::move(dan);
    vcYakCmp = std::move(cmp);
    vcYakBun = std::move(bun);
    vcYakJuCd = std::move(ju);
    vcYakJun = std::move(jun);
    iYakPac = std::move(pac);
    vcYakRnd = std::move(rnd);
    FindResult = true;
    FindCount = rs.recordCount();
}

RecordSet clsYakGa::listQuery(const std::string& date, std::int16_t YakSn, const std::string& YakTxt) {
    return cn_.query(
        RefSql::yakGaList(cn_.dialect(), YakSn),
        {{date, RefSql::kDateSize}, {date, RefSql::kDateSize}, {"%" + YakTxt + "%", RefSql::kSearchSize}});
}

std::unique_ptr<DrugSearchList> clsYakGa::RecordListPaged(const std::string& YakDt, std::int16_t YakSn,
                                                          const std::string& YakTxt,
                                                          const std::function<void()>& beforeQuery) {
    try {
        const std::string date = RefSql::dateOrToday(YakDt);
        std::unique_ptr<DrugSearchList> list = cn_.drugSearch(date, YakSn, YakTxt);
        if (!list) {
            if (beforeQuery) beforeQuery();
            list = std::make_unique<WholeDrugList>(listQuery(date, YakSn, YakTxt));
        }
        FindResult = list->recordCount() > 0;
        FindCount = FindResult ? list->recordCount() : 0;
        return list;
    } catch (const RuntimeError& e) {
        showLookupError("clsYakGa : RecordList ", e);
        return nullptr;
    }
}

void clsYakGa::RecordList(const std::string& YakDt, std::int16_t YakSn, const std::string& YakTxt,
                          RecordSet& rs) {
    try {
        const std::string date = RefSql::dateOrToday(YakDt);
        RecordSet found;
        if (auto list = cn_.drugSearch(date, YakSn, YakTxt))
            found = list->rows(0, static_cast<std::size_t>(list->recordCount()));
        else
            found = listQuery(date, YakSn, YakTxt);
        FindResult = !found.eof();
        FindCount = FindResult ? found.recordCount() : 0;
        rs = std::move(found);
    } catch (const RuntimeError& e) {
        showLookupError("clsYakGa : RecordList ", e);
    }
}

} // namespace pelmora
