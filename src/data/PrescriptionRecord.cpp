// The field mappings between the window's prescription and the store's
// header and line records, and the time and issue-number forms.

#include "PrescriptionRecord.h"

#include "clsMain.h"
#include "clsSub.h"
#include "util/Clock.h"
#include "util/KVFun.h"

#include <algorithm>

namespace pelmora {

namespace {

// The record layout version written into every header.
constexpr const char* kRecordVersion = "002";

std::string without(std::string text, const std::string& chars) {
    std::erase_if(text, [&](char c) { return chars.find(c) != std::string::npos; });
    return text;
}

// A grid cell as the runtime read it: empty or blank is 0, text that is no
// number raises type mismatch.
Currency moneyOf(const Variant& v) {
    return kvfun().Nz(v).toCurrency();
}
double doubleOf(const Variant& v) {
    return kvfun().Nz(v).toDouble();
}
std::int32_t longOf(const Variant& v) {
    return kvfun().Nz(v).toInt32();
}

} // namespace

std::string PreTmFromTime(const std::string& shown) {
    std::string t = "0" + without(shown, ":");
    return t.size() > 6 ? t.substr(t.size() - 6) : t;
}

std::string TimeFromPreTm(const std::string& stored) {
    std::string t = stored;
    if (t.size() < 6 && !t.empty() &&
        std::all_of(t.begin(), t.end(), [](char c) { return c >= '0' && c <= '9'; }))
        t.insert(0, 6 - t.size(), '0');
    if (t.size() != 6) return t;
    return t.substr(0, 2) + ":" + t.substr(2, 2) + ":" + t.substr(4, 2);
}

std::string PubDtNoOf(const std::string& date, const std::string& issueNo) {
    return without(date, "-") + issueNo;
}

// Everything after the date is the issue number, so a number that was stored
// shorter than 5 digits comes back whole instead of with date digits in it.
void SplitPubDtNo(const std::string& pubDtNo, std::string& date, std::string& issueNo) {
    date = pubDtNo.substr(0, std::min<std::size_t>(8, pubDtNo.size()));
    issueNo = pubDtNo.size() > 8 ? pubDtNo.substr(8) : std::string();
}

void PrescriptionRecord::fillHeader(clsMain& m, const std::string& preCd, bool insert) const {
    m.PreCd = preCd;
    m.MatSn = 1;
    m.VerSn = kRecordVersion;
    m.PreDt = without(pvd조제일자, "-");
    m.PreTm = PreTmFromTime(pvt조제시간);
    m.MoneyPr = moneyOf(받을금액);
    m.BonSn = cmb본인부담여부 == 0 ? std::string() : 본인부담코드;
    const LocalDateTime now = Clock::now();
    m.UpDt = now.yyyymmdd() + now.hhmmss();
    m.HospCd = txt요양기관번호;
    m.HospNm = txt요양기관명;
    m.DocNm = txt의사명;
    m.DocCd = txt면허번호;
    m.PatNm = txt고객명;
    m.PatJumNo = without(txt주민번호, "-");
    m.InsSn = static_cast<std::int16_t>(cmb보험종류);
    m.DisCd1 = txt상병기호1;
    m.DisCd2 = txt상병기호2;
    m.PubDtNo = PubDtNoOf(pvd발행일자, txt교부번호);
    m.SpeCd1 = txt특정기호1;
    m.SpeCd2 = txt특정기호2;
    m.LimDt = static_cast<std::int16_t>(std::clamp(pvn사용기간, -32768, 32767));
    m.PricingStored = pricingStored;
    m.TimeSn = static_cast<std::int16_t>(cmb시간외);
    m.AgeSn = static_cast<std::int16_t>(cmb연령);
    m.SelfInj = chk자가투여주사 ? 1 : 0;
    m.NoBiboFee = chk비급여조제료 ? 1 : 0;
    m.SpeRate1 = lab특정기호1;
    m.SpeRate2 = lab특정기호2;
    for (std::string* s :
         {&m.HospAddr, &m.HospTel, &m.HospFax, &m.HospEmail, &m.InsNo, &m.InsCd, &m.InsNm, &m.BohunNo,
          &m.PatManRelSn, &m.PatManNm, &m.PatManJumNo, &m.PatManAddr, &m.PatManPost, &m.PatManTel, &m.IndDt,
          &m.UsageMm, &m.Mm, &m.HospBizNo, &m.PatCell})
        s->clear();
    m.csTrans_YN = true;
    m.RecoardInsMode = insert ? 0 : 1;
}

bool PrescriptionRecord::fillLine(const PrescriptionLine& row, clsSub& s, bool withCells) {
    const std::string code = kvfun().Nz(row.cell(1), 1).toText();
    if (code.empty()) return false;
    s.RxdSn.clear(); // the store numbers the lines itself
    s.RxdPr = moneyOf(row.cell(10));
    s.RxdInsSn = static_cast<std::int16_t>(longOf(row.cell(7)) + 1);
    s.RxdTaxSn = static_cast<std::int16_t>(longOf(row.cell(8)) + 1);
    s.DrugCd = code;
    s.DrugNm = kvfun().Nz(row.cell(2), 1).toText();
    s.Qty = doubleOf(row.cell(3));
    s.QtyCnt = longOf(row.cell(4));
    s.QtyDay = longOf(row.cell(5));
    s.RxdUsageCd.clear();
    s.RxdUsageNm.clear();
    s.CellsStored = withCells;
    s.QtyTot = doubleOf(row.cell(6));
    s.DrugUnit = kvfun().Nz(row.cell(9), 1).toText();
    s.DrugPac = static_cast<std::int16_t>(longOf(row.cell(13)));
    s.DrugMaxPr = moneyOf(row.cell(14));
    s.PriceDiff = moneyOf(row.cell(15));
    s.DrugRnd = kvfun().Nz(row.cell(16), 1).toText();
    s.csTrans_YN = true;
    s.RecoardInsMode = 0;
    return true;
}

void PrescriptionRecord::takeHeader(const clsMain& m) {
    lab조제코드 = m.PreCd;
    pvd조제일자 = m.PreDt;
    pvt조제시간 = TimeFromPreTm(m.PreTm);
    본인부담코드 = m.BonSn;
    cmb본인부담여부 = m.BonSn.empty() ? 0 : -1; // the window finds the entry by its text
    txt요양기관번호 = m.HospCd;
    txt요양기관명 = m.HospNm;
    txt의사명 = m.DocNm;
    txt면허번호 = m.DocCd;
    txt고객명 = m.PatNm;
    txt주민번호 = m.PatJumNo;
    cmb보험종류 = m.InsSn;
    txt상병기호1 = m.DisCd1;
    txt상병기호2 = m.DisCd2;
    SplitPubDtNo(m.PubDtNo, pvd발행일자, txt교부번호);
    txt특정기호1 = m.SpeCd1;
    txt특정기호2 = m.SpeCd2;
    pvn사용기간 = m.LimDt;
    받을금액 = Variant(m.MoneyPr);
    pricingStored = m.PricingStored;
    cmb시간외 = m.TimeSn;
    cmb연령 = m.AgeSn;
    chk자가투여주사 = m.SelfInj == 1;
    chk비급여조제료 = m.NoBiboFee == 1;
    lab특정기호1 = m.SpeRate1;
    lab특정기호2 = m.SpeRate2;
}

} // namespace pelmora
