#include "ReceiptReprice.h"

#include "ChargeRequest.h"
#include "ReceiptFigures.h"
#include "clsAccount.h"
#include "data/clsHoliday.h"
#include "data/clsHosp.h"
#include "data/clsSpesial.h"
#include "data/clsYakGa.h"
#include "util/ModFunction.h"
#include "util/RuntimeError.h"

#include <array>

namespace pelmora {

namespace {

const std::array<const char*, 7> kCoverage = {"급여",   "비급여", "100/100", "50/100",
                                              "80/100", "30/100", "90/100"};
const std::array<const char*, 3> kRoute = {"내복", "외용", "주사"};

std::string text(const RecordSet& rs, const char* col) {
    const int i = rs.fieldIndex(col);
    return i < 0 || rs.field(i).isNull() ? std::string() : rs.field(i).toText();
}
std::optional<std::int32_t> whole(const RecordSet& rs, const char* col) {
    const int i = rs.fieldIndex(col);
    if (i < 0 || rs.field(i).isNull()) return std::nullopt;
    return rs.field(i).toInt32();
}

// The age on the dispensing date, or nullopt when the number gives none.
std::optional<int> ageOf(const std::string& date, const std::string& residentNo) {
    const std::string info = ModFunction::ResidentInfo(date, residentNo);
    const auto last = info.rfind('#');
    if (last == std::string::npos) return std::nullopt;
    try {
        const int age = std::stoi(info.substr(last + 1));
        return age > -1 ? std::optional<int>(age) : std::nullopt;
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

// The after-hours class of the dispensing moment, as the main window sets it.
int timeClass(RefConnection& ref, const std::string& date, const std::string& hhmmss,
              std::optional<int> age) {
    clsHoliday holiday(ref);
    holiday.HoliDt = date;
    holiday.RecordSelect();
    const std::string t =
        hhmmss.size() == 6 ? hhmmss : std::string(6 - std::min<std::size_t>(6, hhmmss.size()), '0') + hhmmss;
    const std::string day = ModFunction::WeekdayName(date);
    if (age && *age <= 6 && (t > "200000" || t < "070000")) return 3;
    if (day == "일요일" || holiday.FindResult) return 2;
    if (day == "토요일") return (t > "130000" || t < "090000") ? 1 : date >= "20131001" ? 4 : 0;
    return (t > "180000" || t < "090000") ? 1 : 0;
}

std::string specialRate(RefConnection& ref, const std::string& code, const std::string& hospCode,
                        const std::string& date) {
    if (code.empty()) return {};
    std::string c;
    for (char ch : code)
        if (ch != ' ') c += static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    clsSpesial special(ref);
    special.SpeCd = c;
    special.RecordSelect(date);
    if (!special.FindResult) return {};
    if (date >= "20111001" && c == "V252" && !hospCode.empty()) {
        clsHosp hosp(ref);
        hosp.HospCd = hospCode;
        hosp.RecordSelect(date);
        return hosp.FindResult ? hosp.HospPer : std::string();
    }
    static const std::array<const char*, 4> kRates = {"30", "20", "10", "5"};
    return special.SpeGu >= 0 && special.SpeGu < 4 ? kRates[static_cast<std::size_t>(special.SpeGu)] : "";
}

ChargeRow rowOf(const RecordSet& rs, RefConnection& ref, const std::string& date) {
    ChargeRow row;
    const std::string code = text(rs, "vcDrugCd");
    const double qty = rs.field("fQty").isNull() ? 0.0 : rs.field("fQty").toDouble();
    const std::int32_t cnt = whole(rs, "iQtyCnt").value_or(0), day = whole(rs, "iQtyDay").value_or(0);
    const auto coverage = static_cast<std::size_t>(std::clamp(whole(rs, "iRxdInsSn").value_or(1), 1, 7) - 1);
    const auto route = static_cast<std::size_t>(std::clamp(whole(rs, "iRxdTaxSn").value_or(1), 1, 3) - 1);
    clsYakGa drug(ref);
    drug.Mode = 1;
    drug.vcYakCd = code;
    drug.vcYakDt = date;
    drug.RecordSelect();
    const int totalAt = rs.fieldIndex("fQtyTot");
    row.col(1) = Variant(code);
    row.col(2) = Variant(text(rs, "vcDrugNm"));
    row.col(3) = Variant(qty);
    row.col(4) = Variant(cnt);
    row.col(5) = Variant(day);
    row.col(6) = totalAt >= 0 && !rs.field(totalAt).isNull() ? rs.field(totalAt) : Variant(qty * cnt * day);
    row.col(7) = Variant(static_cast<std::int32_t>(coverage));
    row.col(8) = Variant(static_cast<std::int32_t>(route));
    row.col(10) =
        rs.field("mRxdPr").isNull() ? Variant(Currency()) : Variant(rs.field("mRxdPr").toCurrency());
    const auto pack = whole(rs, "iDrugPac");
    row.col(13) = pack ? Variant(*pack) : Variant(drug.FindResult ? drug.iYakPac : std::string("0"));
    const std::string flags = text(rs, "vcDrugRnd");
    row.col(16) = Variant(flags.empty() && drug.FindResult ? drug.vcYakRnd : flags);
    row.보험구분 = kCoverage[coverage];
    row.복용구분 = kRoute[route];
    return row;
}

} // namespace

std::optional<ChargeInput> StoredChargeInput(SqliteConnection& store, RefConnection& ref,
                                             const std::string& preCd) {
    RecordSet m = store.query("SELECT * FROM Main WHERE vcPreCd=?", {Variant(preCd)});
    if (m.eof()) return std::nullopt;
    ChargeInput in;
    in.pvd조제일자 = text(m, "vcPreDt");
    in.pvt조제시간 = text(m, "vcPreTm");
    const auto age = ageOf(in.pvd조제일자, text(m, "vcPatJumNo"));
    in.cmb연령 = whole(m, "iAgeSn").value_or(age && *age >= 65 ? 2 : age && *age <= 6 ? 1 : 0);
    in.cmb시간외 = whole(m, "iTimeSn").value_or(timeClass(ref, in.pvd조제일자, in.pvt조제시간, age));
    in.cmb보험종류 = whole(m, "iInsSn").value_or(0);
    in.txt요양기관번호 = text(m, "vcHospCd");
    in.txt특정기호1 = text(m, "vcSpeCd1");
    in.txt특정기호2 = text(m, "vcSpeCd2");
    in.lab특정기호1 = specialRate(ref, in.txt특정기호1, in.txt요양기관번호, in.pvd조제일자);
    in.lab특정기호2 = specialRate(ref, in.txt특정기호2, in.txt요양기관번호, in.pvd조제일자);
    const std::string share = text(m, "vcBonSn");
    in.cmb본인부담여부 = share.empty() ? "해당없음" : share;
    in.chk비급여조제료 = whole(m, "iNoBiboFee").value_or(0) == 1;
    in.chk자가투여주사 = whole(m, "iSelfInj").value_or(0) == 1;
    RecordSet lines = store.query("SELECT * FROM Sub WHERE vcPreCd=? ORDER BY vcRxdSn", {Variant(preCd)});
    for (; !lines.eof(); lines.moveNext())
        in.sp처방.push_back(rowOf(lines, ref, in.pvd조제일자));
    return in;
}

std::optional<StoredCharge> RepriceStored(SqliteConnection& store, RefConnection& ref,
                                          const std::string& preCd) {
    const auto in = StoredChargeInput(store, ref, preCd);
    if (!in) return std::nullopt;
    const ChargeRequest rq = BuildChargeRequest(*in, ref);
    if (!rq.run) return std::nullopt;
    std::vector<std::string> names;
    for (const ChargeRow& row : in->sp처방)
        names.push_back(row.col(2).toText());
    clsAccount account;
    account.SubAcount(rq.sPara1, rq.sPara2, ref);
    StoredCharge c = ReceiptFigures(account, rq.sPara1, rq.sPara2, names, account.ReportedError.has_value());
    c.repriced = true;
    return c;
}

} // namespace pelmora
