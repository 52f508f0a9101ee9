#include "clsMain.h"

#include "LocalStore.h"
#include "StoredCharge.h"
#include "util/Messages.h"

#include <array>
#include <cstdio>

namespace pelmora {

namespace {

// One column of Main and the property that holds it.
struct Field {
    const char* column;
    std::string clsMain::*text = nullptr;
    std::int16_t clsMain::*number = nullptr;
    Currency clsMain::*money = nullptr;

    Field(const char* c, std::string clsMain::*t) : column(c), text(t) {}
    Field(const char* c, std::int16_t clsMain::*n) : column(c), number(n) {}
    Field(const char* c, Currency clsMain::*m) : column(c), money(m) {}

    Variant get(const clsMain& o) const {
        if (text) return Variant(o.*text);
        if (number) return Variant(o.*number);
        return Variant(o.*money);
    }
    void set(clsMain& o, const Variant& v) const {
        if (text)
            o.*text = v.isNull() ? std::string() : v.toText();
        else if (number)
            o.*number = v.isNull() ? std::int16_t{0} : v.toInt16();
        else
            o.*money = v.isNull() ? Currency() : v.toCurrency();
    }
};

// In table order; the first is the key. The last six are the pricing
// choices kept since version 003.
constexpr std::size_t kPricingFirst = 40;
const std::array<Field, 46>& fields() {
    using M = clsMain;
    static const std::array<Field, 46> f = {{
        {"vcPreCd", &M::PreCd},
        {"iMatSn", &M::MatSn},
        {"vcVerSn", &M::VerSn},
        {"vcPreDt", &M::PreDt},
        {"vcPreTm", &M::PreTm},
        {"mMoneyPr", &M::MoneyPr},
        {"vcBonSn", &M::BonSn},
        {"vcUpDt", &M::UpDt},
        {"vcHospCd", &M::HospCd},
        {"vcHospNm", &M::HospNm},
        {"vcHospAddr", &M::HospAddr},
        {"vcHospTel", &M::HospTel},
        {"vcHospFax", &M::HospFax},
        {"vcHospEmail", &M::HospEmail},
        {"vcHospBizNo", &M::HospBizNo},
        {"vcDocNm", &M::DocNm},
        {"vcDocCd", &M::DocCd},
        {"vcPatNm", &M::PatNm},
        {"vcPatJumNo", &M::PatJumNo},
        {"vcPatCell", &M::PatCell},
        {"iInsSn", &M::InsSn},
        {"vcInsNo", &M::InsNo},
        {"vcInsCd", &M::InsCd},
        {"vcInsNm", &M::InsNm},
        {"vcBohunNo", &M::BohunNo},
        {"vcPatManRelSn", &M::PatManRelSn},
        {"vcPatManNm", &M::PatManNm},
        {"vcPatManJumNo", &M::PatManJumNo},
        {"vcPatManAddr", &M::PatManAddr},
        {"vcPatManPost", &M::PatManPost},
        {"vcPatManTel", &M::PatManTel},
        {"vcDisCd1", &M::DisCd1},
        {"vcDisCd2", &M::DisCd2},
        {"vcPubDtNo", &M::PubDtNo},
        {"vcIndDt", &M::IndDt},
        {"vcSpeCd1", &M::SpeCd1},
        {"vcSpeCd2", &M::SpeCd2},
        {"iLimDt", &M::LimDt},
        {"vcUsageMm", &M::UsageMm},
        {"vcMm", &M::Mm},
        {"iTimeSn", &M::TimeSn},
        {"iAgeSn", &M::AgeSn},
        {"iSelfInj", &M::SelfInj},
        {"iNoBiboFee", &M::NoBiboFee},
        {"vcSpeRate1", &M::SpeRate1},
        {"vcSpeRate2", &M::SpeRate2},
    }};
    return f;
}

// Every value is bound as a parameter: text goes in exactly as typed.
const std::string& insertSql() {
    static const std::string s = [] {
        std::string names, marks;
        for (const auto& f : fields()) {
            names += std::string(names.empty() ? "" : ", ") + f.column;
            marks += marks.empty() ? "?" : ",?";
        }
        return "insert into Main(" + names + ") values(" + marks + ")";
    }();
    return s;
}

// A field's value to write; the pricing choices NULL when the row carries none.
Variant value(const clsMain& m, const Field& f) {
    if (!m.PricingStored && &f >= &fields()[kPricingFirst]) return Variant::null();
    return f.get(m);
}

const std::string& updateSql() {
    static const std::string s = [] {
        std::string sql = "update Main Set ";
        for (std::size_t i = 1; i < fields().size(); ++i)
            sql += std::string(i > 1 ? "," : "") + fields()[i].column + "=?";
        return sql + " where vcPreCd=?";
    }();
    return s;
}

const char* const kListColumns =
    "vcPreCd, vcPreDt, vcPreTm, vcPatNm, vcPatJumNo, vcHospCd, vcHospNm, vcPubDtNo, "
    "mMoneyPr";

DbError missingHeader(const std::string& preCd) {
    return {dberr::kNoCurrentRecord, "수정할 처방전(" + preCd + ")이 저장되어 있지 않습니다."};
}

} // namespace

void clsMain::Update() {
    bool began = false;
    try {
        if (!csTrans_YN) {
            CnSqlite->begin(true);
            began = true;
        }
        std::vector<Variant> values;
        switch (RecoardInsMode) {
        case 0:
            if (PreCd != "0000000000") PreCd = NewPreCd();
            for (const auto& f : fields())
                values.push_back(value(*this, f));
            CnSqlite->execute(insertSql(), values);
            break;
        case 1:
            for (std::size_t i = 1; i < fields().size(); ++i)
                values.push_back(value(*this, fields()[i]));
            values.emplace_back(PreCd);
            CnSqlite->execute(updateSql(), values);
            // Lines written next would otherwise sit under a header that is gone.
            if (CnSqlite->changes() == 0) throw missingHeader(PreCd);
            break;
        case 2:
            CnSqlite->execute("delete from Main where vcPrecd=?", {Variant(PreCd)});
            break;
        default:
            break;
        }
        if (began) CnSqlite->commit();
        ChangeMode = true;
    } catch (const RuntimeError& e) {
        // Release the write lock before the boxes wait for the pharmacist.
        if (began) CnSqlite->rollback();
        ChangeMode = false;
        ShowRecordWriteError("clsMain:Update", e.number(), e.description());
    }
}

std::string clsMain::NewPreCd() {
    auto rs = CnSqlite->query("select max(vcPreCd) AS NewCode from Main ");
    if (rs.eof() || rs.field("NewCode").isNull()) return "0000000001";
    double last = rs.field("NewCode").toDouble();
    if (last < 0 || last >= 9999999999.0) throw rterr::overflow();
    char buf[24];
    std::snprintf(buf, sizeof buf, "%010lld", static_cast<long long>(last) + 1);
    return buf;
}

void clsMain::clear() {
    for (const auto& f : fields())
        f.set(*this, Variant::null());
    PricingStored = false;
}

void clsMain::RecordSelect() {
    auto rs = CnSqlite->query("select * from Main where vcPreCd=?", {Variant(PreCd)});
    ChangeMode = false;
    if (rs.eof()) {
        clear();
        FindResult = false;
        return;
    }
    for (const auto& f : fields()) {
        int i = rs.fieldIndex(f.column);
        f.set(*this, i < 0 ? Variant::null() : rs.field(i));
    }
    const int timeSn = rs.fieldIndex("iTimeSn");
    PricingStored = timeSn >= 0 && !rs.field(timeSn).isNull();
    FindResult = true;
}

bool clsMain::RecordList(RecordSet& rs) {
    try {
        rs = CnSqlite->query(std::string("select ") + kListColumns + " from Main order by vcPrecd Desc");
        FindResult = !rs.eof();
        return true;
    } catch (const RuntimeError& e) {
        FindResult = false;
        ShowError("clsMain:RecordList", e);
        return false;
    }
}

std::unique_ptr<PagedRecordSet> clsMain::RecordListPaged() {
    try {
        auto list = std::make_unique<PagedRecordSet>(*CnSqlite, kListColumns, "Main", "vcPreCd");
        FindResult = list->recordCount() > 0;
        return list;
    } catch (const RuntimeError& e) {
        FindResult = false;
        ShowError("clsMain:RecordList", e);
        return nullptr;
    }
}

void clsMain::Delete(const std::string& preCd) {
    bool began = false;
    try {
        if (!csTrans_YN) {
            CnSqlite->begin(true);
            began = true;
        }
        CnSqlite->execute("delete from Sub where vcPreCd=?", {Variant(preCd)});
        StoredCharge::Remove(*CnSqlite, preCd); // what was charged goes with it
        CnSqlite->execute("delete from Main where vcPreCd=?", {Variant(preCd)});
        if (began) CnSqlite->commit();
        ChangeMode = true;
    } catch (const RuntimeError&) {
        if (began) CnSqlite->rollback();
        ChangeMode = false;
    }
}

} // namespace pelmora
