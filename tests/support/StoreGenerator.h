#pragma once
// Prescription stores of any size for tests and benchmarks: headers spread
// over a range of dispensing days and every insurance class, drug lines, and
// the stored figures of each prescription as saving writes them (① ② ③ with
// the parts of ②, the payment split), a share of them saved before the
// figures were kept. The same seed gives the same store.

#include "data/LocalStore.h"

#include <chrono>
#include <cstdio>
#include <functional>
#include <random>
#include <stdexcept>
#include <string>

namespace pelmora::test {

struct StoreShape {
    long prescriptions = 2000;
    std::chrono::year_month_day firstDay{std::chrono::year{2024}, std::chrono::month{11},
                                         std::chrono::day{20}};
    int days = 60;             // dispensing dates firstDay .. firstDay + days - 1
    int patients = 300;        // distinct resident numbers
    int linesEach = 3;         // drug lines per prescription
    int unpricedEvery = 17;    // every n-th prescription has no stored figures (0: none)
    std::uint32_t seed = 2025; //
    bool fast = false;         // no journal, no syncing: for a throw-away benchmark store
};

inline std::string StoreKey(long n) {
    char buf[24];
    std::snprintf(buf, sizeof buf, "%010ld", n);
    return buf;
}

inline std::string StoreDate(std::chrono::sys_days d) {
    const std::chrono::year_month_day ymd(d);
    char buf[32];
    std::snprintf(buf, sizeof buf, "%04d%02u%02u", static_cast<int>(ymd.year()),
                  static_cast<unsigned>(ymd.month()), static_cast<unsigned>(ymd.day()));
    return buf;
}

// The resident number of patient p, written with or without its hyphen.
inline std::string PatientJumNo(int p, bool hyphen) {
    char buf[48];
    std::snprintf(buf, sizeof buf, "%02d%02d%02d%s%d%06d", 40 + p % 60, 1 + p % 12, 1 + p % 28,
                  hyphen ? "-" : "", 1 + p % 2, 100000 + p);
    return buf;
}

inline std::string PatientName(int p) {
    static const char* const family[] = {"김", "이", "박", "최", "정", "강", "조", "윤", "장", "임"};
    static const char* const given[] = {"민준", "서연", "도윤", "지우", "하준",
                                        "서윤", "은우", "지유", "시우", "하은"};
    return std::string(family[p % 10]) + given[(p / 10) % 10] + (p >= 100 ? std::to_string(p / 100) : "");
}

// Fills an empty store at path (created when missing). progress, when given,
// is told the prescriptions written so far every 10,000.
inline void GenerateStore(const std::string& path, const StoreShape& shape,
                          const std::function<void(long)>& progress = {}) {
    std::unique_ptr<SqliteConnection> cn;
    if (!OpenLocalStore(cn, path)) throw std::runtime_error("cannot open the store " + path);
    if (shape.fast)
        cn->executeScript("PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF; PRAGMA cache_size=-200000;");
    std::mt19937 rng(shape.seed);
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    const std::chrono::sys_days first(shape.firstDay);
    const std::string mainSql =
        "INSERT INTO Main(vcPreCd, iMatSn, vcVerSn, vcPreDt, vcPreTm, mMoneyPr, vcUpDt, vcHospCd, vcHospNm, "
        "vcDocNm,"
        " vcPatNm, vcPatJumNo, iInsSn, vcPubDtNo, iLimDt, iTimeSn, iAgeSn, iSelfInj, iNoBiboFee)"
        " VALUES(?,1,'003',?,?,?,?,'12345678','행복의원','김의사',?,?,?,?,3,?,0,0,0)";
    const std::string subSql =
        "INSERT INTO Sub(vcPreCd, vcRxdSn, mRxdPr, iRxdInsSn, iRxdTaxSn, vcDrugCd, vcDrugNm,"
        " fQty, iQtyCnt, iQtyDay) VALUES(?,?,?,1,1,?,'타이레놀정500mg',1,3,?)";
    const std::string chargeSql = "INSERT INTO Charge(vcPreCd, vcChgVer, vcChgDt, iInsSn, iTimeSn, iAgeSn, "
                                  "iInsDay, iBiboDay, mTotal, mBonin,"
                                  " mInsurer, mGongdan, mBohun, mJiwon, mBibo, mFull, mCollect, mCard, "
                                  "mCashRcpt, mCash, vcRcptNo, iRcptCnt)"
                                  " VALUES(?,'003',?,?,?,0,?,?,?,?,?,?,?,?,?,?,?,?,?,?,'',0)";
    cn->begin(true);
    for (long n = 1; n <= shape.prescriptions; ++n) {
        const std::string key = StoreKey(n);
        const std::string date =
            StoreDate(first + std::chrono::days((n - 1) * shape.days / shape.prescriptions));
        const int patient = pick(0, shape.patients - 1);
        const std::int16_t insClass = static_cast<std::int16_t>(pick(0, 24));
        const std::int16_t timeClass = static_cast<std::int16_t>(pick(0, 9) < 8 ? 0 : pick(1, 4));
        const int days = pick(1, 30);
        // The shares in whole won, now and then with half a won, which the
        // store keeps as a real.
        const Currency half = pick(0, 40) == 0 ? Currency::fromTicks(5000) : Currency{};
        const Currency bonin = Currency::fromWon(pick(0, 300) * 100);
        const Currency gongdan = Currency::fromWon(pick(0, 60000)) + half;
        const bool veteran = (insClass >= 6 && insClass <= 9) || insClass >= 22;
        const Currency bohun = veteran ? Currency::fromWon(pick(0, 20000)) : Currency{};
        const Currency jiwon =
            insClass >= 15 && insClass <= 18 ? Currency::fromWon(pick(0, 5000)) : Currency{};
        const Currency bibo = pick(0, 2) == 0 ? Currency::fromWon(pick(1, 200) * 100) : Currency{};
        const Currency full =
            bibo > Currency{} && pick(0, 1) ? Currency::fromWon(pick(0, 10) * 10) : Currency{};
        const Currency insurer = gongdan + bohun + jiwon, collect = bonin + bibo;
        const int how = pick(0, 3);
        const Currency card = how == 0 ? collect : Currency{}, cashRcpt = how == 1 ? collect : Currency{};
        const Currency cash = collect - card - cashRcpt;
        cn->execute(mainSql, {Variant(key), Variant(date), Variant("093000"), Variant(collect),
                              Variant(date + "093500"), Variant(PatientName(patient)),
                              Variant(PatientJumNo(patient, n % 3 != 0)), Variant(insClass),
                              Variant(date + StoreKey(n % 100000).substr(5)), Variant(timeClass)});
        for (int l = 1; l <= shape.linesEach; ++l)
            cn->execute(subSql,
                        {Variant(key), Variant(StoreKey(l).substr(7)), Variant(Currency::fromWon(100 + l)),
                         Variant("64190001" + std::to_string(l)), Variant(std::int32_t{days})});
        if (shape.unpricedEvery > 0 && n % shape.unpricedEvery == 0) continue;
        cn->execute(chargeSql,
                    {Variant(key), Variant(date + "093500"), Variant(insClass), Variant(timeClass),
                     Variant(static_cast<std::int16_t>(days)), Variant(static_cast<std::int16_t>(days)),
                     Variant(bonin + insurer + bibo), Variant(bonin), Variant(insurer), Variant(gongdan),
                     Variant(bohun), Variant(jiwon), Variant(bibo), Variant(full), Variant(collect),
                     Variant(card), Variant(cashRcpt), Variant(cash)});
        if (progress && n % 10000 == 0) progress(n);
    }
    cn->commit();
}

} // namespace pelmora::test
