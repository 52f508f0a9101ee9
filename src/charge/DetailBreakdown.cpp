#include "DetailBreakdown.h"

#include "clsAccount.h"

namespace pelmora {

namespace {
// The items that carry a patient and an insurer share.
enum Item {
    k약국관리료,
    k조제기본료,
    k복약지도료,
    k내복조제료,
    k외용조제료,
    k약품관리료,
    k토요가산,
    k약품비,
    kItems
};

struct Share {
    Currency patient, insurer;
};

// Down to whole won, towards minus infinity.
Currency wholeWonDown(Currency v) {
    std::int64_t t = v.ticks();
    std::int64_t r = t % Currency::kScale;
    if (r < 0) r += Currency::kScale;
    return Currency::fromTicks(t - r);
}

std::array<Currency, kItems> insured(const clsAccount& a) {
    return {a.보험_약국관리료_단가,          a.보험_조제기본료_단가, a.보험_복약지도료_단가,
            a.보험_내복조제료_단가,          a.보험_외용조제료_단가, a.보험_약품관리료_단가,
            a.보험_조제료전체_토요가산_단가, a.보험_전체_약가};
}
} // namespace

DetailBreakdown detailBreakdown(const clsAccount& a) {
    std::array<Share, kItems> s{};
    Share flat{};
    const std::string& type = a.진료비실태상세계산유형;
    const auto amount = insured(a);
    if (type == "정률") {
        for (int i = 0; i < kItems; ++i) {
            Currency p = amount[i].mul(a.진료비실태상세계산요율);
            // The Saturday surcharge keeps its exact share: no child reduction, no cut.
            if (i != k토요가산) {
                if (a.진료비실태상세계산소아 == 1) p = p.mul(0.7);
                p = wholeWonDown(p);
            }
            s[i] = {p, amount[i] - p};
        }
    } else if (type == "정액") {
        flat = {a.결과_본인부담, a.보험_조제료전체_단가 + a.보험_전체_약가 - a.결과_본인부담};
    } else if (type == "전액") {
        for (int i = 0; i < kItems; ++i)
            s[i].insurer = amount[i];
    } else if (type == "지원금") {
        flat = {a.결과_본인부담 - a.결과_지원금,
                a.보험_조제료전체_단가 + a.보험_전체_약가 - a.결과_본인부담 + a.결과_지원금};
    } else if (type == "약사본인") {
        s[k약품비].insurer = a.보험_전체_약가;
    }
    const Share selective{a.결과_백대백미만본인부담, a.결과_백대백미만총액 - a.결과_백대백미만본인부담};
    auto sum = [&](Item x, Item y) {
        return Share{s[x].patient + s[y].patient, s[x].insurer + s[y].insurer};
    };
    const std::array<Share, DetailBreakdown::kRows> shares{s[k약품비],
                                                           s[k조제기본료],
                                                           s[k복약지도료],
                                                           sum(k내복조제료, k외용조제료),
                                                           sum(k약품관리료, k약국관리료),
                                                           selective,
                                                           flat,
                                                           s[k토요가산]};
    const std::array<std::optional<Currency>, DetailBreakdown::kRows> fullPaid{
        a.백백_전체_약가, {}, {}, {}, {}, {}, {}, {}};
    const std::array<std::optional<Currency>, DetailBreakdown::kRows> nonCovered{
        a.비보_전체_약가,
        a.비보_조제기본료_단가,
        a.비보_복약지도료_단가,
        a.비보_내복조제료_단가 + a.비보_외용조제료_단가,
        a.비보_약품관리료_단가 + a.비보_약국관리료_단가,
        {},
        {},
        a.비보_조제료전체_토요가산_단가};
    DetailBreakdown b;
    for (int r = 0; r < DetailBreakdown::kRows; ++r)
        b.cell[r] = {shares[r].patient, shares[r].insurer, fullPaid[r], nonCovered[r]};
    return b;
}

} // namespace pelmora
