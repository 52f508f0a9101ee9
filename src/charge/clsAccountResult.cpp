// The last step: the working values become the public result variables.

#include "clsAccount.h"

#include "AccountWork.h"

namespace pelmora {

void clsAccount::publish(const Work& w) {
    보험_투약_일수 = w.coveredDays;
    비보_투약_일수 = w.nonCoveredDays;

    const auto& f = w.coveredFees.item;
    std::string* codes[6] = {&보험_약국관리료_코드, &보험_조제기본료_코드, &보험_복약지도료_코드,
                             &보험_내복조제료_코드, &보험_외용조제료_코드, &보험_약품관리료_코드};
    std::string* names[6] = {&보험_약국관리료_명칭, &보험_조제기본료_명칭, &보험_복약지도료_명칭,
                             &보험_내복조제료_명칭, &보험_외용조제료_명칭, &보험_약품관리료_명칭};
    std::string* dates[6] = {&보험_약국관리료_날짜, &보험_조제기본료_날짜, &보험_복약지도료_날짜,
                             &보험_내복조제료_날짜, &보험_외용조제료_날짜, &보험_약품관리료_날짜};
    Currency* amounts[6] = {&보험_약국관리료_단가, &보험_조제기본료_단가, &보험_복약지도료_단가,
                            &보험_내복조제료_단가, &보험_외용조제료_단가, &보험_약품관리료_단가};
    Currency* nonCovered[6] = {&비보_약국관리료_단가, &비보_조제기본료_단가, &비보_복약지도료_단가,
                               &비보_내복조제료_단가, &비보_외용조제료_단가, &비보_약품관리료_단가};
    for (std::size_t i = 0; i < 6; ++i) {
        *codes[i] = f[i].code;
        *names[i] = f[i].name;
        *dates[i] = f[i].date;
        *amounts[i] = f[i].amount;
        *nonCovered[i] = w.nonCoveredFee[i];
    }
    보험_조제료전체_단가 = w.coveredFeeTotal;
    비보_조제료전체_단가 = w.nonCoveredFeeTotal;

    const auto& s = w.coveredFees.saturday;
    std::string* satCodes[4] = {&보험_조제기본료_토요가산_코드, &보험_복약지도료_토요가산_코드,
                                &보험_내복조제료_토요가산_코드, &보험_외용조제료_토요가산_코드};
    std::string* satNames[4] = {&보험_조제기본료_토요가산_명칭, &보험_복약지도료_토요가산_명칭,
                                &보험_내복조제료_토요가산_명칭, &보험_외용조제료_토요가산_명칭};
    std::string* satDates[4] = {&보험_조제기본료_토요가산_날짜, &보험_복약지도료_토요가산_날짜,
                                &보험_내복조제료_토요가산_날짜, &보험_외용조제료_토요가산_날짜};
    Currency* satAmounts[4] = {&보험_조제기본료_토요가산_단가, &보험_복약지도료_토요가산_단가,
                               &보험_내복조제료_토요가산_단가, &보험_외용조제료_토요가산_단가};
    Currency* satNonCovered[4] = {&비보_조제기본료_토요가산_단가, &비보_복약지도료_토요가산_단가,
                                  &비보_내복조제료_토요가산_단가, &비보_외용조제료_토요가산_단가};
    for (std::size_t i = 0; i < 4; ++i) {
        *satCodes[i] = s[i].code;
        *satNames[i] = s[i].name;
        *satDates[i] = s[i].date;
        *satAmounts[i] = s[i].amount;
        *satNonCovered[i] = w.nonCoveredSat[i];
    }
    보험_조제료전체_토요가산_단가 = w.coveredSatTotal;
    비보_조제료전체_토요가산_단가 = w.nonCoveredSatTotal;

    Currency* drugs[kCoverageCount][kRouteCount + 1] = {
        {&보험_내복_약가, &보험_외용_약가, &보험_주사_약가, &보험_전체_약가},
        {&백백_내복_약가, &백백_외용_약가, &백백_주사_약가, &백백_전체_약가},
        {&비보_내복_약가, &비보_외용_약가, &비보_주사_약가, &비보_전체_약가},
        {&백A5_내복_약가, &백A5_외용_약가, &백A5_주사_약가, &백A5_전체_약가},
        {&백B8_내복_약가, &백B8_외용_약가, &백B8_주사_약가, &백B8_전체_약가},
        {&백D3_내복_약가, &백D3_외용_약가, &백D3_주사_약가, &백D3_전체_약가},
        {&백E9_내복_약가, &백E9_외용_약가, &백E9_주사_약가, &백E9_전체_약가},
    };
    for (int c = 0; c < kCoverageCount; ++c) {
        for (int r = 0; r < kRouteCount; ++r)
            *drugs[c][r] = w.drug[c][r];
        *drugs[c][kRouteCount] = w.drugSum[c];
    }
    비보_예외_약가 = w.exception;

    결과_보험총약제비 = w.insuredTotal;
    결과_보험청구액 = w.insuredTotal - w.patientShare;
    결과_본인부담 = w.patientShare;
    결과_지원금 = w.support;
    결과_진료비총액 = w.insuredTotal + w.veteransClaim + w.amount100;
    결과_보훈청구액 = w.veteransClaim;
    결과_백대백금액 = w.amount100;
    결과_백대백미만총액 = w.partialTotal;
    결과_백대백미만청구액 = w.partialClaim;
    결과_백대백미만보훈청구액 = w.partialVeterans;
    결과_백대백미만본인부담 = w.partialPatient;
    결과_비보험액 = w.nonCoveredAmount;
    결과_받을금액 = w.nonCoveredAmount + w.amount100 + w.patientShare - w.support + w.partialPatient;
}

} // namespace pelmora
