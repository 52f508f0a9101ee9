#include "StoredCharge.h"

#include <cstdio>

namespace pelmora {

namespace {

const char* const kChargeColumns =
    "vcPreCd, vcChgVer, vcChgDt, iInsSn, iTimeSn, iAgeSn, iInsDay, iBiboDay, mTotal, mBonin, mInsurer, "
    "mGongdan, mBohun, mJiwon, mBibo, mFull, mCollect, mCard, mCashRcpt, mCash, vcCashIdNo, vcCashApprNo, "
    "vcRcptNo, iRcptCnt, iChgErr, iRepriced, vcPharmNm";
const char* const kItemColumns =
    "vcPreCd, vcItemSn, vcItemKind, vcItemCd, vcItemNm, mItemPr, mBonin, mGongdan, "
    "mFull, mBibo, mUnitPr, fQty, iQtyCnt, iQtyDay, fQtyTot";

std::string placeholders(int n) {
    std::string s;
    for (int i = 0; i < n; ++i)
        s += i ? ",?" : "?";
    return s;
}

std::string text(const RecordSet& rs, const char* col) {
    const Variant& v = rs.field(col);
    return v.isNull() ? std::string() : v.toText();
}
Currency money(const RecordSet& rs, const char* col) {
    const Variant& v = rs.field(col);
    return v.isNull() ? Currency() : v.toCurrency();
}
std::int32_t whole(const RecordSet& rs, const char* col) {
    const Variant& v = rs.field(col);
    return v.isNull() ? 0 : v.toInt32();
}
double real(const RecordSet& rs, const char* col) {
    const Variant& v = rs.field(col);
    return v.isNull() ? 0.0 : v.toDouble();
}

std::string itemSn(std::size_t i) {
    char buf[24];
    std::snprintf(buf, sizeof buf, "%03zu", i + 1);
    return buf;
}

} // namespace

bool PaymentAddsUp(const Payment& p, Currency collect) {
    const Currency zero;
    return p.card >= zero && p.cashRcpt >= zero && p.cash >= zero && p.card + p.cashRcpt + p.cash == collect;
}

void StoredCharge::Write(SqliteConnection& cn, const std::string& preCd) const {
    // What belongs to the prescription rather than to one pricing of it.
    std::string rcptNo;
    std::int32_t rcptCnt = 0;
    Payment paid{Currency(), Currency(), collect, {}, {}};
    if (auto old = Read(cn, preCd)) {
        rcptNo = old->receiptNo;
        rcptCnt = old->receiptCount;
        if (old->collect == collect && PaymentAddsUp(old->payment, collect)) paid = old->payment;
    }
    if (!receiptNo.empty()) {
        rcptNo = receiptNo;
        rcptCnt = receiptCount;
    }
    Remove(cn, preCd);
    cn.execute(std::string("INSERT INTO Charge(") + kChargeColumns + ") VALUES(" + placeholders(27) + ")",
               {Variant(preCd),
                Variant(version),
                Variant(pricedAt),
                Variant(insClass),
                Variant(timeClass),
                Variant(ageClass),
                Variant(insDays),
                Variant(biboDays),
                Variant(total),
                Variant(bonin),
                Variant(insurer),
                Variant(gongdan),
                Variant(bohun),
                Variant(jiwon),
                Variant(bibo),
                Variant(full),
                Variant(collect),
                Variant(paid.card),
                Variant(paid.cashRcpt),
                Variant(paid.cash),
                Variant(paid.cashIdNo),
                Variant(paid.cashApprNo),
                Variant(rcptNo),
                Variant(rcptCnt),
                Variant(std::int16_t(runError ? 1 : 0)),
                Variant(std::int16_t(repriced ? 1 : 0)),
                Variant(pharmacist)});
    const std::string insertItem =
        std::string("INSERT INTO ChargeItem(") + kItemColumns + ") VALUES(" + placeholders(15) + ")";
    for (std::size_t i = 0; i < items.size(); ++i) {
        const StoredChargeItem& it = items[i];
        cn.execute(insertItem, {Variant(preCd), Variant(itemSn(i)), Variant(it.kind), Variant(it.code),
                                Variant(it.name), Variant(it.amount), Variant(it.bonin), Variant(it.gongdan),
                                Variant(it.full), Variant(it.bibo), Variant(it.unitPrice), Variant(it.dose),
                                Variant(it.times), Variant(it.days), Variant(it.quantity)});
    }
}

std::optional<StoredCharge> StoredCharge::Read(SqliteConnection& cn, const std::string& preCd) {
    RecordSet rs =
        cn.query(std::string("SELECT ") + kChargeColumns + " FROM Charge WHERE vcPreCd=?", {Variant(preCd)});
    if (rs.eof()) return std::nullopt;
    StoredCharge c;
    c.version = text(rs, "vcChgVer");
    c.pricedAt = text(rs, "vcChgDt");
    c.insClass = static_cast<std::int16_t>(whole(rs, "iInsSn"));
    c.timeClass = static_cast<std::int16_t>(whole(rs, "iTimeSn"));
    c.ageClass = static_cast<std::int16_t>(whole(rs, "iAgeSn"));
    c.insDays = static_cast<std::int16_t>(whole(rs, "iInsDay"));
    c.biboDays = static_cast<std::int16_t>(whole(rs, "iBiboDay"));
    c.total = money(rs, "mTotal");
    c.bonin = money(rs, "mBonin");
    c.insurer = money(rs, "mInsurer");
    c.gongdan = money(rs, "mGongdan");
    c.bohun = money(rs, "mBohun");
    c.jiwon = money(rs, "mJiwon");
    c.bibo = money(rs, "mBibo");
    c.full = money(rs, "mFull");
    c.collect = money(rs, "mCollect");
    c.payment = {money(rs, "mCard"), money(rs, "mCashRcpt"), money(rs, "mCash"), text(rs, "vcCashIdNo"),
                 text(rs, "vcCashApprNo")};
    c.receiptNo = text(rs, "vcRcptNo");
    c.receiptCount = whole(rs, "iRcptCnt");
    c.runError = whole(rs, "iChgErr") != 0;
    c.repriced = whole(rs, "iRepriced") != 0;
    c.pharmacist = text(rs, "vcPharmNm");

    RecordSet items =
        cn.query(std::string("SELECT ") + kItemColumns + " FROM ChargeItem WHERE vcPreCd=? ORDER BY vcItemSn",
                 {Variant(preCd)});
    for (; !items.eof(); items.moveNext()) {
        StoredChargeItem it;
        it.kind = text(items, "vcItemKind");
        it.code = text(items, "vcItemCd");
        it.name = text(items, "vcItemNm");
        it.amount = money(items, "mItemPr");
        it.bonin = money(items, "mBonin");
        it.gongdan = money(items, "mGongdan");
        it.full = money(items, "mFull");
        it.bibo = money(items, "mBibo");
        it.unitPrice = money(items, "mUnitPr");
        it.dose = real(items, "fQty");
        it.times = whole(items, "iQtyCnt");
        it.days = whole(items, "iQtyDay");
        it.quantity = real(items, "fQtyTot");
        c.items.push_back(std::move(it));
    }
    return c;
}

void StoredCharge::Remove(SqliteConnection& cn, const std::string& preCd) {
    cn.execute("DELETE FROM ChargeItem WHERE vcPreCd=?", {Variant(preCd)});
    cn.execute("DELETE FROM Charge WHERE vcPreCd=?", {Variant(preCd)});
}

bool WritePayment(SqliteConnection& cn, const std::string& preCd, const Payment& p) {
    cn.begin(true);
    try {
        auto c = StoredCharge::Read(cn, preCd);
        if (!c || !PaymentAddsUp(p, c->collect)) {
            cn.rollback();
            return false;
        }
        cn.execute(
            "UPDATE Charge SET mCard=?, mCashRcpt=?, mCash=?, vcCashIdNo=?, vcCashApprNo=? WHERE vcPreCd=?",
            {Variant(p.card), Variant(p.cashRcpt), Variant(p.cash), Variant(p.cashIdNo),
             Variant(p.cashApprNo), Variant(preCd)});
        cn.commit();
        return true;
    } catch (...) {
        cn.rollback();
        throw;
    }
}

} // namespace pelmora
