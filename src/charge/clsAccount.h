#pragma once
// The charge engine: one prescription request in, every figure of the bill out.
// The caller creates a new object per calculation, calls SubAcount and reads
// the public variables; a variable the computation does not reach keeps its
// start value (0 or empty).

#include "charge/FeeCodes.h"
#include "data/RefConnection.h"
#include "util/Currency.h"
#include "util/Variant.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace pelmora {

// One priced fee item as the fee schedule gives it.
struct FeeItem {
    Currency amount;
    std::string code;
    std::string name;
    std::string date;
};

// The six fee items and the four Saturday-morning items of one pricing run.
struct FeeSet {
    std::array<FeeItem, 6> item;     // pharmacy management … drug management
    std::array<FeeItem, 4> saturday; // basic dispensing … external dispensing, Saturday variant
};

class clsAccount {
  public:
    void SubAcount(std::string sPara1, std::string sPara2, RefConnection& cn);

    // The text of the first error the run reported through the error
    // reporter (a fee lookup that failed, a request it could not read), or
    // nothing. The figures of a run that reported one are not a bill.
    std::optional<std::string> ReportedError;

    // Empty or blank values become 0 ("" with EQKind 1); numbers become money
    // (a double with EQKind 2 and 3); anything else comes back unchanged.
    Variant Nz(const std::optional<Variant>& value, std::int32_t EQKind = 0) const;
    Variant Nz(const Variant& value, std::int32_t EQKind = 0) const {
        return Nz(std::optional<Variant>(value), EQKind);
    }
    // Kind 1 rounds half up, 2 up, 3 down at the digits-th place, all on the
    // magnitude; digits below 1 (or values past 999,999,999) round half to even.
    std::int32_t NBRound(double value, std::int32_t kind, std::int32_t digits) const;

    // The fee lookup as it is sent on a connection of that dialect.
    static const std::string& feeLookupSql(Dialect dialect);

    std::int16_t 보험_투약_일수 = 0;
    std::int16_t 비보_투약_일수 = 0;
    std::string 보험_약국관리료_코드, 보험_조제기본료_코드, 보험_복약지도료_코드, 보험_내복조제료_코드,
        보험_외용조제료_코드, 보험_약품관리료_코드;
    std::string 보험_약국관리료_명칭, 보험_조제기본료_명칭, 보험_복약지도료_명칭, 보험_내복조제료_명칭,
        보험_외용조제료_명칭, 보험_약품관리료_명칭;
    std::string 보험_약국관리료_날짜, 보험_조제기본료_날짜, 보험_복약지도료_날짜, 보험_내복조제료_날짜,
        보험_외용조제료_날짜, 보험_약품관리료_날짜;
    Currency 보험_약국관리료_단가, 보험_조제기본료_단가, 보험_복약지도료_단가, 보험_내복조제료_단가,
        보험_외용조제료_단가, 보험_약품관리료_단가;
    Currency 보험_조제료전체_단가;
    Currency 비보_약국관리료_단가, 비보_조제기본료_단가, 비보_복약지도료_단가, 비보_내복조제료_단가,
        비보_외용조제료_단가, 비보_약품관리료_단가;
    Currency 비보_조제료전체_단가;
    std::string 보험_조제기본료_토요가산_코드, 보험_복약지도료_토요가산_코드, 보험_내복조제료_토요가산_코드,
        보험_외용조제료_토요가산_코드;
    std::string 보험_조제기본료_토요가산_명칭, 보험_복약지도료_토요가산_명칭, 보험_내복조제료_토요가산_명칭,
        보험_외용조제료_토요가산_명칭;
    std::string 보험_조제기본료_토요가산_날짜, 보험_복약지도료_토요가산_날짜, 보험_내복조제료_토요가산_날짜,
        보험_외용조제료_토요가산_날짜;
    Currency 보험_조제기본료_토요가산_단가, 보험_복약지도료_토요가산_단가, 보험_내복조제료_토요가산_단가,
        보험_외용조제료_토요가산_단가;
    Currency 보험_조제료전체_토요가산_단가;
    Currency 비보_조제기본료_토요가산_단가, 비보_복약지도료_토요가산_단가, 비보_내복조제료_토요가산_단가,
        비보_외용조제료_토요가산_단가;
    Currency 비보_조제료전체_토요가산_단가;
    Currency 보험_내복_약가, 보험_외용_약가, 보험_주사_약가, 보험_전체_약가;
    Currency 비보_내복_약가, 비보_외용_약가, 비보_주사_약가, 비보_예외_약가, 비보_전체_약가;
    Currency 백백_내복_약가, 백백_외용_약가, 백백_주사_약가, 백백_전체_약가;
    Currency 백A5_내복_약가, 백A5_외용_약가, 백A5_주사_약가, 백A5_전체_약가;
    Currency 백B8_내복_약가, 백B8_외용_약가, 백B8_주사_약가, 백B8_전체_약가;
    Currency 백D3_내복_약가, 백D3_외용_약가, 백D3_주사_약가, 백D3_전체_약가;
    Currency 백E9_내복_약가, 백E9_외용_약가, 백E9_주사_약가, 백E9_전체_약가;
    Currency 결과_보험총약제비;
    Currency 결과_보험청구액;
    Currency 결과_본인부담;
    Currency 결과_지원금;
    Currency 결과_진료비총액;
    Currency 결과_보훈청구액;
    Currency 결과_백대백금액;
    Currency 결과_백대백미만총액;
    Currency 결과_백대백미만청구액;
    Currency 결과_백대백미만보훈청구액;
    Currency 결과_백대백미만본인부담;
    Currency 결과_비보험액;
    Currency 결과_받을금액;
    std::string 진료비실태상세계산유형;
    double 진료비실태상세계산요율 = 0;
    std::int16_t 진료비실태상세계산소아 = 0;

  private:
    struct Work; // the working values of one computation (clsAccountShare.cpp)

    // A request field read through Nz as money, without the detour through a Variant.
    Currency moneyField(std::string_view field) const;
    void compute(const std::string& sPara1, const std::string& sPara2);
    void SubSooGaAcount(const FeeShape& shape, FeeSet& out);
    void price(const std::string& code, const std::string& date, FeeItem& out);
    void sumDrugs(Work& w) const;
    Currency saturdayPart(const Work& w) const;
    // The rules of the insurance class; true when the patient share is still
    // to be set by the general rules.
    bool applyClass(Work& w);
    void veterans(Work& w, Currency remainder) const;
    void patientShare(Work& w);
    void supportAndVeterans(Work& w);
    void partialCopay(Work& w) const;
    void publish(const Work& w);
    // Truncated to 10 won, the way every total of the bill is cut.
    Currency truncated10(Currency value) const;

    RefConnection* cn_ = nullptr;
};

} // namespace pelmora
