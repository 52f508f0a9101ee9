#include "ChargeResultCells.h"

#include "clsAccount.h"
#include "util/KVFun.h"

#include <array>

namespace pelmora {

namespace {

Variant code(const std::string& c) {
    return kvfun().Nz(Variant(c), 1);
}
Variant money(Currency m) {
    return kvfun().Nz(Variant(m));
}

void put(ResultGrid& g, int row, int col, Variant v) {
    g.cells.push_back({row, col, std::move(v)});
}

// One drug-cost row: 보험, 비보험, then the five partial-coverage groups.
void drugRow(ResultGrid& g, int row, const std::array<Currency, 7>& amounts) {
    for (std::size_t i = 0; i < amounts.size(); ++i)
        put(g, row, static_cast<int>(i) + 2, money(amounts[i]));
}

} // namespace

ChargeResultCells ChargeResultCells::captions() {
    ChargeResultCells r;
    r.sp수가.columns = {"구분", "수가코드", "보험", "비보험"};
    r.sp수가.rows = {"약국관리료",   "조제기본료",   "복약지도료", "내복약조제료",
                     "외용약조제료", "의약품관리료", "토요가산금", "조제료합"};
    r.sp약가.columns = {"구분", "보험", "비보험", "100/100", "50/100", "80/100", "30/100", "90/100"};
    r.sp약가.rows = {"내복약가", "외용약가", "주사약가", "일부비보험", "약가합"};
    r.sp계산.columns = {"구분", "금액"};
    r.sp계산.rows = {"요양급여비용",
                     "보험청구액",
                     "본인부담금",
                     "지원금",
                     "진료비총액",
                     "보훈청구액",
                     "건강보험 100/100 본인부담금",
                     "100/100미만 총액",
                     "100/100미만 청구액",
                     "100/100미만 보훈청구액",
                     "100/100미만 본인부담금",
                     "비보험금",
                     "받을금액"};
    return r;
}

ChargeResultCells ChargeResultCells::from(const clsAccount& a) {
    ChargeResultCells r = captions();

    ResultGrid& fee = r.sp수가;
    const std::array<const std::string*, 6> codes = {&a.보험_약국관리료_코드, &a.보험_조제기본료_코드,
                                                     &a.보험_복약지도료_코드, &a.보험_내복조제료_코드,
                                                     &a.보험_외용조제료_코드, &a.보험_약품관리료_코드};
    const std::array<Currency, 6> covered = {a.보험_약국관리료_단가, a.보험_조제기본료_단가,
                                             a.보험_복약지도료_단가, a.보험_내복조제료_단가,
                                             a.보험_외용조제료_단가, a.보험_약품관리료_단가};
    const std::array<Currency, 6> notCovered = {a.비보_약국관리료_단가, a.비보_조제기본료_단가,
                                                a.비보_복약지도료_단가, a.비보_내복조제료_단가,
                                                a.비보_외용조제료_단가, a.비보_약품관리료_단가};
    for (std::size_t i = 0; i < codes.size(); ++i) {
        const int row = static_cast<int>(i) + 1;
        put(fee, row, 2, code(*codes[i]));
        put(fee, row, 3, money(covered[i]));
        put(fee, row, 4, money(notCovered[i]));
    }
    put(fee, 7, 2, code(""));
    put(fee, 7, 3, money(a.보험_조제료전체_토요가산_단가));
    put(fee, 7, 4, money(a.비보_조제료전체_토요가산_단가));
    put(fee, 8, 2, code(""));
    put(fee, 8, 3, money(a.보험_조제료전체_단가));
    put(fee, 8, 4, money(a.비보_조제료전체_단가));

    ResultGrid& drug = r.sp약가;
    drugRow(drug, 1,
            {a.보험_내복_약가, a.비보_내복_약가, a.백백_내복_약가, a.백A5_내복_약가, a.백B8_내복_약가,
             a.백D3_내복_약가, a.백E9_내복_약가});
    drugRow(drug, 2,
            {a.보험_외용_약가, a.비보_외용_약가, a.백백_외용_약가, a.백A5_외용_약가, a.백B8_외용_약가,
             a.백D3_외용_약가, a.백E9_외용_약가});
    drugRow(drug, 3,
            {a.보험_주사_약가, a.비보_주사_약가, a.백백_주사_약가, a.백A5_주사_약가, a.백B8_주사_약가,
             a.백D3_주사_약가, a.백E9_주사_약가});
    // The partly non-covered row has only its non-covered amount; the
    // coverage groups past 100/100 are left as they are.
    put(drug, 4, 2, money(Currency{}));
    put(drug, 4, 3, money(a.비보_예외_약가));
    put(drug, 4, 4, money(Currency{}));
    drugRow(drug, 5,
            {a.보험_전체_약가, a.비보_전체_약가, a.백백_전체_약가, a.백A5_전체_약가, a.백B8_전체_약가,
             a.백D3_전체_약가, a.백E9_전체_약가});

    const std::array<Currency, 13> totals = {a.결과_보험총약제비,
                                             a.결과_보험청구액,
                                             a.결과_본인부담,
                                             a.결과_지원금,
                                             a.결과_진료비총액,
                                             a.결과_보훈청구액,
                                             a.결과_백대백금액,
                                             a.결과_백대백미만총액,
                                             a.결과_백대백미만청구액,
                                             a.결과_백대백미만보훈청구액,
                                             a.결과_백대백미만본인부담,
                                             a.결과_비보험액,
                                             a.결과_받을금액};
    for (std::size_t i = 0; i < totals.size(); ++i)
        put(r.sp계산, static_cast<int>(i) + 1, 2, money(totals[i]));
    return r;
}

} // namespace pelmora
