#include "AccountFields.h"

#include <array>
#include <charconv>

namespace pelmora {

namespace {
const std::array<AccountField, 101> kFields = {{
    {"보험_투약_일수", &clsAccount::보험_투약_일수},
    {"비보_투약_일수", &clsAccount::비보_투약_일수},
    {"보험_약국관리료_코드", &clsAccount::보험_약국관리료_코드},
    {"보험_조제기본료_코드", &clsAccount::보험_조제기본료_코드},
    {"보험_복약지도료_코드", &clsAccount::보험_복약지도료_코드},
    {"보험_내복조제료_코드", &clsAccount::보험_내복조제료_코드},
    {"보험_외용조제료_코드", &clsAccount::보험_외용조제료_코드},
    {"보험_약품관리료_코드", &clsAccount::보험_약품관리료_코드},
    {"보험_약국관리료_명칭", &clsAccount::보험_약국관리료_명칭},
    {"보험_조제기본료_명칭", &clsAccount::보험_조제기본료_명칭},
    {"보험_복약지도료_명칭", &clsAccount::보험_복약지도료_명칭},
    {"보험_내복조제료_명칭", &clsAccount::보험_내복조제료_명칭},
    {"보험_외용조제료_명칭", &clsAccount::보험_외용조제료_명칭},
    {"보험_약품관리료_명칭", &clsAccount::보험_약품관리료_명칭},
    {"보험_약국관리료_날짜", &clsAccount::보험_약국관리료_날짜},
    {"보험_조제기본료_날짜", &clsAccount::보험_조제기본료_날짜},
    {"보험_복약지도료_날짜", &clsAccount::보험_복약지도료_날짜},
    {"보험_내복조제료_날짜", &clsAccount::보험_내복조제료_날짜},
    {"보험_외용조제료_날짜", &clsAccount::보험_외용조제료_날짜},
    {"보험_약품관리료_날짜", &clsAccount::보험_약품관리료_날짜},
    {"보험_약국관리료_단가", &clsAccount::보험_약국관리료_단가},
    {"보험_조제기본료_단가", &clsAccount::보험_조제기본료_단가},
    {"보험_복약지도료_단가", &clsAccount::보험_복약지도료_단가},
    {"보험_내복조제료_단가", &clsAccount::보험_내복조제료_단가},
    {"보험_외용조제료_단가", &clsAccount::보험_외용조제료_단가},
    {"보험_약품관리료_단가", &clsAccount::보험_약품관리료_단가},
    {"보험_조제료전체_단가", &clsAccount::보험_조제료전체_단가},
    {"비보_약국관리료_단가", &clsAccount::비보_약국관리료_단가},
    {"비보_조제기본료_단가", &clsAccount::비보_조제기본료_단가},
    {"비보_복약지도료_단가", &clsAccount::비보_복약지도료_단가},
    {"비보_내복조제료_단가", &clsAccount::비보_내복조제료_단가},
    {"비보_외용조제료_단가", &clsAccount::비보_외용조제료_단가},
    {"비보_약품관리료_단가", &clsAccount::비보_약품관리료_단가},
    {"비보_조제료전체_단가", &clsAccount::비보_조제료전체_단가},
    {"보험_조제기본료_토요가산_코드", &clsAccount::보험_조제기본료_토요가산_코드},
    {"보험_복약지도료_토요가산_코드", &clsAccount::보험_복약지도료_토요가산_코드},
    {"보험_내복조제료_토요가산_코드", &clsAccount::보험_내복조제료_토요가산_코드},
    {"보험_외용조제료_토요가산_코드", &clsAccount::보험_외용조제료_토요가산_코드},
    {"보험_조제기본료_토요가산_명칭", &clsAccount::보험_조제기본료_토요가산_명칭},
    {"보험_복약지도료_토요가산_명칭", &clsAccount::보험_복약지도료_토요가산_명칭},
    {"보험_내복조제료_토요가산_명칭", &clsAccount::보험_내복조제료_토요가산_명칭},
    {"보험_외용조제료_토요가산_명칭", &clsAccount::보험_외용조제료_토요가산_명칭},
    {"보험_조제기본료_토요가산_날짜", &clsAccount::보험_조제기본료_토요가산_날짜},
    {"보험_복약지도료_토요가산_날짜", &clsAccount::보험_복약지도료_토요가산_날짜},
    {"보험_내복조제료_토요가산_날짜", &clsAccount::보험_내복조제료_토요가산_날짜},
    {"보험_외용조제료_토요가산_날짜", &clsAccount::보험_외용조제료_토요가산_날짜},
    {"보험_조제기본료_토요가산_단가", &clsAccount::보험_조제기본료_토요가산_단가},
    {"보험_복약지도료_토요가산_단가", &clsAccount::보험_복약지도료_토요가산_단가},
    {"보험_내복조제료_토요가산_단가", &clsAccount::보험_내복조제료_토요가산_단가},
    {"보험_외용조제료_토요가산_단가", &clsAccount::보험_외용조제료_토요가산_단가},
    {"보험_조제료전체_토요가산_단가", &clsAccount::보험_조제료전체_토요가산_단가},
    {"비보_조제기본료_토요가산_단가", &clsAccount::비보_조제기본료_토요가산_단가},
    {"비보_복약지도료_토요가산_단가", &clsAccount::비보_복약지도료_토요가산_단가},
    {"비보_내복조제료_토요가산_단가", &clsAccount::비보_내복조제료_토요가산_단가},
    {"비보_외용조제료_토요가산_단가", &clsAccount::비보_외용조제료_토요가산_단가},
    {"비보_조제료전체_토요가산_단가", &clsAccount::비보_조제료전체_토요가산_단가},
    {"보험_내복_약가", &clsAccount::보험_내복_약가},
    {"보험_외용_약가", &clsAccount::보험_외용_약가},
    {"보험_주사_약가", &clsAccount::보험_주사_약가},
    {"보험_전체_약가", &clsAccount::보험_전체_약가},
    {"비보_내복_약가", &clsAccount::비보_내복_약가},
    {"비보_외용_약가", &clsAccount::비보_외용_약가},
    {"비보_주사_약가", &clsAccount::비보_주사_약가},
    {"비보_예외_약가", &clsAccount::비보_예외_약가},
    {"비보_전체_약가", &clsAccount::비보_전체_약가},
    {"백백_내복_약가", &clsAccount::백백_내복_약가},
    {"백백_외용_약가", &clsAccount::백백_외용_약가},
    {"백백_주사_약가", &clsAccount::백백_주사_약가},
    {"백백_전체_약가", &clsAccount::백백_전체_약가},
    {"백A5_내복_약가", &clsAccount::백A5_내복_약가},
    {"백A5_외용_약가", &clsAccount::백A5_외용_약가},
    {"백A5_주사_약가", &clsAccount::백A5_주사_약가},
    {"백A5_전체_약가", &clsAccount::백A5_전체_약가},
    {"백B8_내복_약가", &clsAccount::백B8_내복_약가},
    {"백B8_외용_약가", &clsAccount::백B8_외용_약가},
    {"백B8_주사_약가", &clsAccount::백B8_주사_약가},
    {"백B8_전체_약가", &clsAccount::백B8_전체_약가},
    {"백D3_내복_약가", &clsAccount::백D3_내복_약가},
    {"백D3_외용_약가", &clsAccount::백D3_외용_약가},
    {"백D3_주사_약가", &clsAccount::백D3_주사_약가},
    {"백D3_전체_약가", &clsAccount::백D3_전체_약가},
    {"백E9_내복_약가", &clsAccount::백E9_내복_약가},
    {"백E9_외용_약가", &clsAccount::백E9_외용_약가},
    {"백E9_주사_약가", &clsAccount::백E9_주사_약가},
    {"백E9_전체_약가", &clsAccount::백E9_전체_약가},
    {"결과_보험총약제비", &clsAccount::결과_보험총약제비},
    {"결과_보험청구액", &clsAccount::결과_보험청구액},
    {"결과_본인부담", &clsAccount::결과_본인부담},
    {"결과_지원금", &clsAccount::결과_지원금},
    {"결과_진료비총액", &clsAccount::결과_진료비총액},
    {"결과_보훈청구액", &clsAccount::결과_보훈청구액},
    {"결과_백대백금액", &clsAccount::결과_백대백금액},
    {"결과_백대백미만총액", &clsAccount::결과_백대백미만총액},
    {"결과_백대백미만청구액", &clsAccount::결과_백대백미만청구액},
    {"결과_백대백미만보훈청구액", &clsAccount::결과_백대백미만보훈청구액},
    {"결과_백대백미만본인부담", &clsAccount::결과_백대백미만본인부담},
    {"결과_비보험액", &clsAccount::결과_비보험액},
    {"결과_받을금액", &clsAccount::결과_받을금액},
    {"진료비실태상세계산유형", &clsAccount::진료비실태상세계산유형},
    {"진료비실태상세계산요율", &clsAccount::진료비실태상세계산요율},
    {"진료비실태상세계산소아", &clsAccount::진료비실태상세계산소아},
}};
} // namespace

std::span<const AccountField> accountFields() {
    return kFields;
}

std::string fieldText(const clsAccount& a, const AccountField& f) {
    struct Visitor {
        const clsAccount& a;
        std::string operator()(std::int16_t clsAccount::*m) const { return std::to_string(a.*m); }
        std::string operator()(std::string clsAccount::*m) const { return a.*m; }
        std::string operator()(Currency clsAccount::*m) const { return (a.*m).toFixed(4); }
        std::string operator()(double clsAccount::*m) const {
            char buf[32];
            auto r = std::to_chars(buf, buf + sizeof buf, a.*m);
            return std::string(buf, r.ptr);
        }
    };
    return std::visit(Visitor{a}, f.member);
}

} // namespace pelmora
