#pragma once
// The detailed breakdown of one finished pricing run: for each kind of
// charge the patient's and the insurer's part of the insured amount, beside
// the fully patient-paid and the non-covered amounts. The detail window shows
// it as eight rows of four amounts.

#include "util/Currency.h"

#include <array>
#include <optional>

namespace pelmora {

class clsAccount;

struct DetailBreakdown {
    // Rows 약품비, 조제기본료, 복약지도료, 조제료, 관리료, 선별급여,
    // 65세 이상 등 정액, 기타.
    static constexpr int kRows = 8;
    // Columns 본인부담금, 공단부담금, 100:100, 비급여.
    static constexpr int kCols = 4;
    // nullopt: the cell is shown empty.
    std::array<std::array<std::optional<Currency>, kCols>, kRows> cell{};
};

// Computes the breakdown from the result of the run. The money arithmetic
// raises overflow (error 6) as the runtime did; nothing is half-computed then.
DetailBreakdown detailBreakdown(const clsAccount& acc);

} // namespace pelmora
