// Loading a stored prescription: its header, and its lines rebuilt as grid
// rows from the current drug price list at the dispensing date.

#include "PrescriptionRecord.h"

#include "clsMain.h"
#include "clsYakGa.h"
#include "util/Messages.h"
#include "util/RuntimeError.h"

namespace pelmora {

namespace {

const char* const kLines = "select vcRxdSn, vcDrugCd, vcDrugNm, fQty, iQtyCnt, iQtyDay,"
                           " iRxdInsSn,"
                           " iRxdTaxSn,"
                           " mRxdPr,"
                           " fQtyTot, vcDrugUnit, iDrugPac, mDrugMaxPr, mPriceDiff, vcDrugRnd"
                           " from Sub where vcPrecd=? order by vcRxdSn";

std::string textOf(const RecordSet& rs, const char* col) {
    const Variant& v = rs.field(col);
    return v.isNull() ? std::string() : v.toText();
}
double doubleOf(const RecordSet& rs, const char* col) {
    const Variant& v = rs.field(col);
    return v.isNull() ? 0.0 : v.toDouble();
}
std::int32_t longOf(const RecordSet& rs, const char* col) {
    const Variant& v = rs.field(col);
    return v.isNull() ? 0 : v.toInt32();
}

// Rows with a coverage index of 0 ("급여") take the current maximum price.
constexpr std::int32_t kCovered = 0;
// A drug that left the price list: "비급여" and "외용".
constexpr std::int32_t kNotCovered = 1;
constexpr std::int32_t kExternal = 1;

Currency moneyOf(const RecordSet& rs, const char* col) {
    const Variant& v = rs.field(col);
    return v.isNull() ? Currency() : v.toCurrency();
}

// A line saved with its cells prices as it was saved: the total as it was
// rounded, the pack and narcotics flags and the unit of the lookup that wrote
// the line (the non-covered one for a non-covered line), and its maximum
// price and price difference, whatever the price list says today.
void storedCells(const RecordSet& rs, PrescriptionLine& row) {
    const double total = doubleOf(rs, "fQtyTot");
    row.cell(6) = Variant(total);
    row.cell(9) = Variant(textOf(rs, "vcDrugUnit"));
    row.cell(11) = Variant(moneyOf(rs, "mRxdPr").mul(total));
    row.cell(13) = Variant(longOf(rs, "iDrugPac"));
    row.cell(14) = Variant(moneyOf(rs, "mDrugMaxPr"));
    row.cell(15) = Variant(moneyOf(rs, "mPriceDiff"));
    row.cell(16) = Variant(textOf(rs, "vcDrugRnd"));
}

PrescriptionLine lineOf(const RecordSet& rs, RefConnection& ref, const std::string& preDt) {
    const std::string code = textOf(rs, "vcDrugCd");
    const double qty = doubleOf(rs, "fQty");
    const std::int32_t cnt = longOf(rs, "iQtyCnt"), day = longOf(rs, "iQtyDay");
    const double total = qty * cnt * day;

    PrescriptionLine row;
    row.cell(1) = Variant(code);
    row.cell(3) = Variant(qty);
    row.cell(4) = Variant(cnt);
    row.cell(5) = Variant(day);
    row.cell(6) = Variant(total);
    row.cell(15) = Variant(Currency());

    clsYakGa yak(ref);
    yak.Mode = 1;
    yak.vcYakCd = code;
    yak.vcYakDt = preDt;
    yak.RecordSelect();
    if (yak.FindResult) {
        const Currency price = rs.field("mRxdPr").isNull() ? Currency() : rs.field("mRxdPr").toCurrency();
        const std::int32_t coverage = longOf(rs, "iRxdInsSn") - 1;
        const std::string name = textOf(rs, "vcDrugNm");
        row.cell(2) = Variant(name);
        row.cell(12) = Variant(name);
        row.cell(7) = Variant(coverage);
        row.cell(8) = Variant(longOf(rs, "iRxdTaxSn") - 1);
        row.cell(9) = Variant(yak.vcYakTakDan);
        row.cell(10) = Variant(price);
        row.cell(11) = Variant(price.mul(total));
        row.cell(13) = Variant(yak.iYakPac);
        row.cell(14) = Variant(coverage == kCovered ? yak.mYakPr : price);
        row.cell(16) = Variant(yak.vcYakRnd);
        if (!rs.field("fQtyTot").isNull()) storedCells(rs, row);
    } else {
        // The stored price is dropped: the pharmacist enters the drug again.
        row.cell(2) = Variant("직접입력하세요");
        row.cell(12) = row.cell(2);
        row.cell(7) = Variant(kNotCovered);
        row.cell(8) = Variant(kExternal);
        row.cell(9) = Variant(std::string());
        for (int c : {10, 11, 14})
            row.cell(c) = Variant(Currency());
        row.cell(13) = Variant("0");
        row.cell(16) = Variant(std::string());
    }
    return row;
}

} // namespace

PrescriptionRecord::LoadOutcome PrescriptionRecord::Load(SqliteConnection& cn, RefConnection& ref,
                                                         const std::string& code) {
    *this = PrescriptionRecord{};
    try {
        clsMain m(cn);
        m.PreCd = code;
        m.RecordSelect();
        if (!m.FindResult) return LoadOutcome::NotFound;
        takeHeader(m);
        lab조제코드 = code;
        RecordSet rs = cn.query(kLines, {Variant(code)});
        for (; !rs.eof(); rs.moveNext())
            lines.push_back(lineOf(rs, ref, pvd조제일자));
        return LoadOutcome::Loaded;
    } catch (const RuntimeError& e) {
        *this = PrescriptionRecord{};
        messages().plain(e.description(), kAppTitle);
        return LoadOutcome::Failed;
    }
}

} // namespace pelmora
