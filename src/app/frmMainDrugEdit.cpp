// The rules of a drug line's cells when the pharmacist edits them: the
// quantities (columns 3 to 5) give the total; a total (6) or a unit price
// (10) typed over gives the price difference and the amount again. Every
// such edit prices the prescription again, so no stale amount is saved.

#include "frmMain.h"

#include "CodeTables.h"
#include "KVSp.h"
#include "util/KVFun.h"
#include "util/Messages.h"
#include "util/NumericText.h"
#include "util/RuntimeError.h"

#include <QComboBox>

#include <cmath>
#include <limits>

namespace pelmora {

namespace {
using namespace codes::drugcol;

std::optional<double> typedNumber(const KVSp& sp, int row, int col) {
    const std::string t(trimSpaces(sp.Cell(row, col).toText()));
    if (t.empty()) return 0.0;
    if (!isNumericText(t)) return std::nullopt;
    return numericTextToDouble(t);
}
} // namespace

void frmMain::drugGridChange(int col, int row) {
    KVSp& sp = *Sp처방;
    if (row < 1 || row > sp.MaxRows()) return;
    if (sp.spCellType(row, col) == kSpTypeCombo) {
        sp.spForeColor(row, kDifference, codes::coverageColour(sp.Cell(row, kCoverage, 2).toInt16()));
    } else if (col >= kDose && col <= kDays) {
        drugQuantityEdited(row, col);
    } else if (col == kTotal) {
        drugTotalEdited(row);
    } else if (col == kPrice) {
        drugPriceEdited(row);
    } else {
        return;
    }
    ProcRecalc();
}

// The cell keeps the number as the store keeps it — the dose as a number,
// times and days whole — so the line prices the same when it is opened again.
void frmMain::drugQuantityEdited(int row, int col) {
    KVSp& sp = *Sp처방;
    const std::optional<double> typed = typedNumber(sp, row, col);
    if (!typed) {
        // A quantity that is no number would price the line at nothing without a word.
        messages().information("투약량, 횟수, 일수는 숫자로 입력해 주세요.", "경고");
        sp.setCell(row, col, Variant(std::int32_t{0}));
    } else if (col == kDose) {
        sp.setCell(row, col, Variant(*typed));
    } else {
        const double whole = std::nearbyint(*typed);
        if (whole != *typed) messages().information("횟수와 일수는 정수로 입력해 주세요.", "경고");
        const bool fits = std::abs(whole) <= std::numeric_limits<std::int32_t>::max();
        sp.setCell(row, col, Variant(fits ? static_cast<std::int32_t>(whole) : std::int32_t{0}));
    }
    drugLineAmounts(row, true, col);
}

// A total typed over stands as typed; one that is no number gives way to
// the total of the quantities.
void frmMain::drugTotalEdited(int row) {
    KVSp& sp = *Sp처방;
    const std::optional<double> typed = typedNumber(sp, row, kTotal);
    if (!typed || *typed < 0) {
        messages().information("총량은 0 이상의 숫자로 입력해 주세요.", "경고");
        drugLineAmounts(row, true, kTotal);
        return;
    }
    sp.setCell(row, kTotal, Variant(*typed));
    drugLineAmounts(row, false, kTotal);
}

void frmMain::drugPriceEdited(int row) {
    KVSp& sp = *Sp처방;
    if (drugMoney(row, kPrice) < Currency{}) {
        messages().information("단가는 0 이상으로 입력해 주세요.", "경고");
        sp.setCell(row, kPrice, Variant(Currency{}));
    }
    drugLineAmounts(row, false, kPrice);
}

// The total from the quantities when asked (pack-unit lines in whole packs),
// then the price difference and the amount. A figure past what money can
// hold takes back the edited cell, and the line stays whole.
void frmMain::drugLineAmounts(int row, bool totalFromQuantities, int editedCol) {
    KVSp& sp = *Sp처방;
    auto amounts = [&] {
        if (totalFromQuantities) {
            const double t = drugNumber(row, kDose) * drugNumber(row, kTimes) * drugNumber(row, kDays);
            if (sp.Cell(row, kPack).toText() == "1")
                sp.setCell(row, kTotal, Variant(kvfun().NBRound(t, 3, 0)));
            else
                sp.setCell(row, kTotal, Variant(t));
        }
        drugPriceDifference(row);
        sp.setCell(row, kAmount, Variant(drugMoney(row, kPrice).mul(drugNumber(row, kTotal))));
    };
    try {
        amounts();
    } catch (const RuntimeError&) {
        messages().information(
            editedCol == kPrice ? "단가가 너무 큽니다." : "투약량, 횟수, 일수가 너무 큽니다.", "경고");
        sp.setCell(row, editedCol, editedCol == kPrice ? Variant(Currency{}) : Variant(std::int32_t{0}));
        totalFromQuantities = totalFromQuantities || editedCol == kTotal;
        amounts();
    }
}

// Under the classes below 보훈30 a covered line bought below its maximum price
// earns 70 % of the difference; the unit price never exceeds the maximum.
void frmMain::drugPriceDifference(int row) {
    KVSp& sp = *Sp처방;
    if (cmb보험종류->currentIndex() >= 6 || sp.Cell(row, kCoverage, 2).toInt16() != kCovered) return;
    const Currency maxPrice = drugMoney(row, kMaxPrice), price = drugMoney(row, kPrice);
    if (maxPrice <= price) {
        sp.setCell(row, kDifference, Variant(std::int32_t{0}));
        sp.setCell(row, kPrice, Variant(maxPrice));
    } else {
        sp.setCell(
            row, kDifference,
            Variant(kvfun().NBRound((maxPrice - price).toDouble() * 0.7 * drugNumber(row, kTotal), 1, 0)));
    }
}

} // namespace pelmora
