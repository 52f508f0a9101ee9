#include "clsSub.h"

#include "LocalStore.h"
#include "util/Messages.h"

#include <cstdio>

namespace pelmora {

namespace {

const char* const kInsert = "insert into Sub("
                            "vcPreCd, vcRxdSn, mRxdPr, iRxdInsSn, iRxdTaxSn, vcDrugCd,"
                            "vcDrugNm, fQty, iQtyCnt, iQtyDay, vcRxdUsageCd, vcRxdUsageNm,"
                            "fQtyTot, vcDrugUnit, iDrugPac, mDrugMaxPr, mPriceDiff, vcDrugRnd"
                            ") values(?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)";
const char* const kUpdate =
    "update Sub Set "
    "mRxdPr=?,iRxdInsSn=?,iRxdTaxSn=?,vcDrugCd=?,vcDrugNm=?,fQty=?,iQtyCnt=?,iQtyDay=?,"
    "vcRxdUsageCd=?,vcRxdUsageNm=?,"
    "fQtyTot=?,vcDrugUnit=?,iDrugPac=?,mDrugMaxPr=?,mPriceDiff=?,vcDrugRnd=?"
    " where vcPreCd=? and vcRxdSn=?";
const char* const kList = "select vcRxdSn, vcDrugCd, vcDrugNm, fQty, iQtyCnt, iQtyDay,"
                          " case when iRxdInsSn = 1 then '급여'"
                          " when iRxdInsSn = 2 then '비급여'"
                          " when iRxdInsSn = 3 then '100/100'"
                          " when iRxdInsSn = 4 then '50/100'"
                          " when iRxdInsSn = 5 then '80/100'"
                          " when iRxdInsSn = 6 then '30/100'"
                          " when iRxdInsSn = 7 then '90/100'"
                          " else '' end InsSn,"
                          " case when iRxdTaxSn = 1 then '내복'"
                          " when iRxdTaxSn = 2 then '외용'"
                          " when iRxdTaxSn = 3 then '주사'"
                          " else '' end TaxSn,"
                          " mRxdPr,"
                          " fQty * iQtyCnt * iQtyDay * mRxdPr as Pr"
                          " from Sub where vcPrecd=? order by vcRxdSn";

// The line number is 3 digits wide and ordered as text; a fourth digit would
// sort "1000" before "101" and make the largest number stick at "999", so
// every further line would collide with the last.
constexpr int kLastLine = 999;

std::string nz(const Variant& v) {
    return v.isNull() ? std::string() : v.toText();
}

} // namespace

void clsSub::Update() {
    // The line's cells as priced, NULL when it carries none.
    auto cell = [this](const auto& v) { return CellsStored ? Variant(v) : Variant::null(); };
    bool began = false;
    try {
        if (!csTrans_YN) {
            CnSqlite->begin(true);
            began = true;
        }
        switch (RecoardInsMode) {
        case 0:
            // A line without its header could never be listed, loaded or deleted.
            if (CnSqlite->query("select vcPreCd from Main where vcPreCd=?", {Variant(PreCd)}).eof())
                throw DbError(dberr::kNoCurrentRecord,
                              "처방전(" + PreCd + ")이 저장되어 있지 않아 약품을 저장할 수 없습니다.");
            RxdSn = NewRxdSn();
            CnSqlite->execute(kInsert, {Variant(PreCd), Variant(RxdSn), Variant(RxdPr), Variant(RxdInsSn),
                                        Variant(RxdTaxSn), Variant(DrugCd), Variant(DrugNm), Variant(Qty),
                                        Variant(QtyCnt), Variant(QtyDay), Variant(RxdUsageCd),
                                        Variant(RxdUsageNm), cell(QtyTot), cell(DrugUnit), cell(DrugPac),
                                        cell(DrugMaxPr), cell(PriceDiff), cell(DrugRnd)});
            break;
        case 1:
            CnSqlite->execute(kUpdate, {Variant(RxdPr), Variant(RxdInsSn), Variant(RxdTaxSn), Variant(DrugCd),
                                        Variant(DrugNm), Variant(Qty), Variant(QtyCnt), Variant(QtyDay),
                                        Variant(RxdUsageCd), Variant(RxdUsageNm), cell(QtyTot),
                                        cell(DrugUnit), cell(DrugPac), cell(DrugMaxPr), cell(PriceDiff),
                                        cell(DrugRnd), Variant(PreCd), Variant(RxdSn)});
            if (CnSqlite->changes() == 0)
                throw DbError(dberr::kNoCurrentRecord,
                              "수정할 약품(" + PreCd + "-" + RxdSn + ")이 저장되어 있지 않습니다.");
            break;
        case 2:
            CnSqlite->execute("delete from Sub where vcPrecd=? and vcRxdSn=?",
                              {Variant(PreCd), Variant(RxdSn)});
            break;
        case 3:
            CnSqlite->execute("delete from Sub where vcPrecd=?", {Variant(PreCd)});
            break;
        default:
            break;
        }
        if (began) CnSqlite->commit();
        ChangeMode = true;
    } catch (const RuntimeError& e) {
        if (began) CnSqlite->rollback();
        ChangeMode = false;
        ShowRecordWriteError("clsSub:Update", e.number(), e.description());
    }
}

std::string clsSub::NewRxdSn() {
    auto rs = CnSqlite->query("select max(vcRxdSn) AS NewCode from Sub where vcPreCd=?", {Variant(PreCd)});
    if (rs.eof() || rs.field("NewCode").isNull()) return "001";
    double last = rs.field("NewCode").toDouble();
    if (last < 0 || last >= kLastLine)
        throw RuntimeError(rterr::kOverflow, "처방전 한 건에는 약품을 999줄까지 저장할 수 있습니다.");
    char buf[16];
    std::snprintf(buf, sizeof buf, "%03d", static_cast<int>(last) + 1);
    return buf;
}

void clsSub::clear() {
    PreCd.clear();
    RxdSn.clear();
    RxdPr = Currency();
    RxdInsSn = RxdTaxSn = 0;
    DrugCd.clear();
    DrugNm.clear();
    Qty = 0;
    QtyCnt = QtyDay = 0;
    RxdUsageCd.clear();
    RxdUsageNm.clear();
    QtyTot = 0;
    DrugUnit.clear();
    DrugPac = 0;
    DrugMaxPr = PriceDiff = Currency();
    DrugRnd.clear();
    CellsStored = false;
}

void clsSub::RecordSelect() {
    auto rs = CnSqlite->query("select * from Sub where vcPreCd=?", {Variant(PreCd)});
    ChangeMode = false;
    if (rs.eof()) {
        clear();
        FindResult = false;
        return;
    }
    auto num = [&rs](const char* c) -> const Variant& { return rs.field(c); };
    PreCd = nz(rs.field("vcPreCd"));
    RxdSn = nz(rs.field("vcRxdSn"));
    RxdPr = num("mRxdPr").isNull() ? Currency() : num("mRxdPr").toCurrency();
    RxdInsSn = num("iRxdInsSn").isNull() ? std::int16_t{0} : num("iRxdInsSn").toInt16();
    RxdTaxSn = num("iRxdTaxSn").isNull() ? std::int16_t{0} : num("iRxdTaxSn").toInt16();
    DrugCd = nz(rs.field("vcDrugCd"));
    DrugNm = nz(rs.field("vcDrugNm"));
    Qty = num("fQty").isNull() ? 0.0 : num("fQty").toDouble();
    QtyCnt = num("iQtyCnt").isNull() ? 0 : num("iQtyCnt").toInt32();
    QtyDay = num("iQtyDay").isNull() ? 0 : num("iQtyDay").toInt32();
    RxdUsageCd = nz(rs.field("vcRxdUsageCd"));
    RxdUsageNm = nz(rs.field("vcRxdUsageNm"));
    CellsStored = !num("fQtyTot").isNull();
    QtyTot = CellsStored ? num("fQtyTot").toDouble() : 0.0;
    DrugUnit = nz(rs.field("vcDrugUnit"));
    DrugPac = num("iDrugPac").isNull() ? std::int16_t{0} : num("iDrugPac").toInt16();
    DrugMaxPr = num("mDrugMaxPr").isNull() ? Currency() : num("mDrugMaxPr").toCurrency();
    PriceDiff = num("mPriceDiff").isNull() ? Currency() : num("mPriceDiff").toCurrency();
    DrugRnd = nz(rs.field("vcDrugRnd"));
    FindResult = true;
}

bool clsSub::RecordList(const std::string& preCd, RecordSet& rs) {
    try {
        rs = CnSqlite->query(kList, {Variant(preCd)});
        FindResult = !rs.eof();
        return true;
    } catch (const RuntimeError& e) {
        FindResult = false;
        ShowError("clsSub:RecordList", e);
        return false;
    }
}

} // namespace pelmora
