#include "ReceiptDocument.h"

#include "ReceiptReprice.h"
#include "data/clsMain.h"
#include "util/BizNo.h"

#include <algorithm>
#include <array>

namespace pelmora {

namespace {

std::string dateText(const std::string& yyyymmdd) {
    if (yyyymmdd.size() != 8) return yyyymmdd;
    return yyyymmdd.substr(0, 4) + "-" + yyyymmdd.substr(4, 2) + "-" + yyyymmdd.substr(6, 2);
}

// The 13 characters of the issue number: the issue date and its serial.
std::string issueNoText(const std::string& pubDtNo) {
    if (pubDtNo.size() <= 8) return pubDtNo;
    return pubDtNo.substr(0, 8) + "-" + pubDtNo.substr(8);
}

constexpr std::array<const char*, 6> kRowNames = {"약품비",     "약국관리료", "조제기본료",
                                                  "복약지도료", "조제료",     "의약품관리료"};

} // namespace

const std::vector<std::string>& ReceiptDocument::footNotes() {
    static const std::vector<std::string> notes = {
        "이 계산서·영수증은 「소득세법」에 따른 의료비 공제신청 또는 「조세특례제한법」에 따른 "
        "현금영수증 공제신청에 사용할 수 있습니다.",
        "이 계산서·영수증에 대한 세부산정내역은 약국에 요구하여 받을 수 있습니다.",
        "전액본인부담은 보험자 부담 없이 환자가 약제비 전액(100분의 100)을 부담하는 금액이며 "
        "③ 비급여에 포함됩니다.",
    };
    return notes;
}

std::string ReceiptRowName(const std::string& kind) {
    if (kind == "DRUG" || kind == "DIFF") return kRowNames[0];
    if (kind == "FEE1") return kRowNames[1];
    if (kind == "FEE2" || kind == "SAT1") return kRowNames[2];
    if (kind == "FEE3" || kind == "SAT2") return kRowNames[3];
    if (kind == "FEE4" || kind == "FEE5" || kind == "SAT3" || kind == "SAT4") return kRowNames[4];
    if (kind == "FEE6") return kRowNames[5];
    if (kind == "FLAT") return "정액 본인부담";
    return "끝수처리조정";
}

std::string WonText(Currency amount) {
    const bool minus = amount < Currency();
    const std::int64_t ticks = minus ? -amount.ticks() : amount.ticks();
    std::string whole = std::to_string(ticks / Currency::kScale);
    for (int i = static_cast<int>(whole.size()) - 3; i > 0; i -= 3)
        whole.insert(static_cast<std::size_t>(i), ",");
    std::string frac = std::to_string(ticks % Currency::kScale + Currency::kScale).substr(1);
    while (!frac.empty() && frac.back() == '0')
        frac.pop_back();
    return (minus ? "-" : "") + whole + (frac.empty() ? "" : "." + frac);
}

ReceiptDocument BuildReceiptDocument(SqliteConnection& store, const std::string& preCd, const StoredCharge& c,
                                     const Pharmacy& pharmacy, const ReceiptIssue& issue,
                                     const std::string& printDate) {
    clsMain m(store);
    m.PreCd = preCd;
    m.RecordSelect();

    ReceiptDocument d;
    d.receiptNo = issue.receiptNo;
    d.reissue = issue.reissue;
    d.patient = m.PatNm;
    d.issueNo = issueNoText(m.PubDtNo);
    d.institution = m.HospCd.empty() ? m.HospNm : m.HospNm + " (" + m.HospCd + ")";
    d.prescriber = m.DocCd.empty() ? m.DocNm : m.DocNm + " (면허 " + m.DocCd + ")";
    d.dispensingDate = dateText(m.PreDt);
    int days = std::max(c.insDays, c.biboDays);
    for (const auto& it : c.items)
        if (it.kind == "DRUG") days = std::max(days, static_cast<int>(it.days));
    d.days = std::to_string(days) + "일";
    d.pharmacist = c.pharmacist.empty() ? pharmacy.pharmacist : c.pharmacist;
    // Late night for a small child is a night surcharge too.
    d.night = c.timeClass == 1 || c.timeClass == 3;
    d.holiday = c.timeClass == 2;

    for (const char* name : kRowNames)
        d.rows.push_back({name, {}, {}, {}});
    for (const auto& it : c.items) {
        const std::string name = ReceiptRowName(it.kind);
        auto row =
            std::find_if(d.rows.begin(), d.rows.end(), [&](const ReceiptRow& r) { return r.name == name; });
        if (row == d.rows.end()) row = d.rows.insert(d.rows.end(), {name, {}, {}, {}});
        row->bonin += it.bonin;
        row->insurer += it.gongdan;
        row->bibo += it.full + it.bibo;
    }
    d.total = c.total;
    d.bonin = c.bonin;
    d.insurer = c.insurer;
    d.bibo = c.bibo;
    d.full = c.full;
    d.collect = c.collect;
    d.payment = c.payment;

    d.bizNo = BizNoFormat(pharmacy.bizNo);
    d.address = pharmacy.address;
    d.pharmacyName = pharmacy.name;
    d.owner = pharmacy.owner;
    d.tel = pharmacy.tel;
    d.issueDate = dateText(printDate);
    if (c.repriced)
        d.notices.push_back(
            "조제 당시의 계산 금액이 저장되어 있지 않아 처방 내용으로 다시 계산한 금액입니다.");
    if (c.runError) d.notices.push_back("계산 중 오류가 보고된 금액입니다. 약국에 확인하여 주십시오.");
    d.items = c.items;
    return d;
}

std::optional<StoredCharge> ChargeForReceipt(SqliteConnection& store, RefConnection* ref,
                                             const std::string& preCd) {
    if (auto stored = StoredCharge::Read(store, preCd)) return stored;
    if (!ref) return std::nullopt;
    return RepriceStored(store, *ref, preCd);
}

} // namespace pelmora
