// The drug grid of the main window: finding a drug by code or in the search
// window and writing its line, the line defaults, the quantity and price
// rules, the unit-price prompts and the coverage colours.

#include "frmMain.h"

#include "CodeTables.h"
#include "KVSp.h"
#include "ModDrug.h"
#include "ModMain.h"
#include "data/clsYakGa.h"
#include "frmDrug.h"
#include "util/KVFun.h"
#include "util/Messages.h"
#include "util/NumericText.h"
#include "util/RuntimeError.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTableView>

#include <cmath>
#include <exception>
#include <limits>

namespace pelmora {

namespace {
using namespace codes::drugcol;

int coverageIndex(const std::string& text) {
    for (std::size_t i = 0; i < codes::kCoverage.size(); ++i)
        if (text == codes::kCoverage[i]) return static_cast<int>(i);
    return kNonCovered;
}

int routeIndex(const std::string& text) {
    for (std::size_t i = 0; i < codes::kRoute.size(); ++i)
        if (text == codes::kRoute[i]) return static_cast<int>(i);
    return 0;
}

// A whole number as the runtime converts a double: halves to even, overflow past a Long.
std::int32_t toLong(double v) {
    const double r = std::nearbyint(v);
    if (!(r >= std::numeric_limits<std::int32_t>::min() && r <= std::numeric_limits<std::int32_t>::max()))
        throw rterr::overflow();
    return static_cast<std::int32_t>(r);
}

// The money an input box answer stands for: a price that is no number, or
// below zero, is no price.
Currency priceAnswer(const std::string& answer) {
    const std::string t(trimSpaces(answer));
    if (!isNumericText(t)) return {};
    const std::optional<double> d = numericTextToDouble(t);
    if (!d || *d < 0 || *d > 1e11) return {};
    return Currency::tryParse(t).value_or(Currency::fromDouble(*d));
}

bool isCodeLetter(QChar c) {
    return c >= u'A' && c <= u'Z';
}
} // namespace

void frmMain::connectDrugGrid() {
    connect(Sp처방, &KVSp::KeyDownEnter, this,
            [this](int row, int col) { guarded([&] { drugGridEnter(row, col); }); });
    connect(Sp처방, &KVSp::Change, this,
            [this](int col, int row) { guarded([&] { drugGridChange(col, row); }); });
    // The code column is the grid's own: what is typed there goes on into the
    // drug name, where a code or a name is looked up.
    connect(Sp처방, &KVSp::KeyPress, this, [this](int) {
        if (Sp처방->cCol() == kCode && Sp처방->cRow() >= 1) Sp처방->spGoCell(Sp처방->cRow(), kName);
    });
    connect(Sp처방, &KVSp::Click, this, [this](int col, int row) {
        if (col == kPrice) guarded([&] { drugGridPriceClick(row); });
    });
}

// An error inside a grid handler is shown and goes no further.
void frmMain::guarded(const std::function<void()>& handler) {
    try {
        handler();
    } catch (const RuntimeError& e) {
        messages().plain(e.description(), kAppTitle);
    } catch (const std::exception& e) {
        messages().plain(e.what(), kAppTitle);
    }
}

double frmMain::drugNumber(int row, int col) const {
    const std::string t(trimSpaces(Sp처방->Cell(row, col).toText()));
    if (t.empty()) return 0;
    return numericTextToDouble(t).value_or(0);
}

Currency frmMain::drugMoney(int row, int col) const {
    const std::string t(trimSpaces(Sp처방->Cell(row, col).toText()));
    return Currency::tryParse(t).value_or(Currency{});
}

void frmMain::ProcDrugRow(int row) {
    QString x = QString::fromStdString(Sp처방->Cell(row, kName).toText());
    x.replace(u'\'', u'`');
    x = x.toUpper();
    if (x.isEmpty()) return;
    const std::string code = x.toStdString();

    clsYakGa& fresh = renewProcessDrug(ref_);
    const bool letterFirst = isCodeLetter(x.at(0));
    if (letterFirst || (isNumericText(code) && x.size() >= 4))
        bCodeEntry = isNumericText(x.mid(1).toStdString());
    else
        bCodeEntry = false;
    Sp처방->nMode = bCodeEntry ? 1 : 0;
    Sp처방->spHanEngMode(!bCodeEntry);

    const bool direct9 = x.size() == 9 && bCodeEntry;
    const bool direct8 = !direct9 && x.size() == 8 && isNumericText(code);
    if (direct9 || direct8) {
        fresh.Mode = direct9 ? 1 : 2;
        fresh.vcYakCd = code;
        fresh.vcYakDt = dispensingDate().toStdString();
        fresh.RecordSelect();
    }
    if (!(fresh.FindResult && fresh.FindCount < 2)) {
        frmDrug search(ref_, this);
        search.lab날짜->setText(dispensingDate());
        search.cmbClass->setCurrentIndex(bCodeEntry ? 0 : 1);
        search.txtFind->setText(x);
        search.exec();
        if (noticeGeneration_ != ReferenceGeneration()) showNoticeDate(); // the search took up new data
    }
    // The search window replaces the drug object when a drug is taken there.
    clsYakGa& drug = processDrug(ref_);
    if (Sp처방->cRow() >= 1) {
        if (drug.FindResult)
            writeDrugRow(row, drug);
        else
            emptyDrugRow(row);
    }
    releaseProcessDrug();
}

void frmMain::writeDrugRow(int row, clsYakGa& d) {
    KVSp& sp = *Sp처방;
    sp.setCell(row, kCode, Variant(d.vcYakCd));
    sp.setCell(row, kName, Variant(d.vcYakNm));
    sp.setCell(row, kLastName, Variant(d.vcYakNm));
    const bool oral = d.vcYakTo == codes::kRoute[0];
    sp.setCell(row, kDose, Variant(oral ? dLastQty : 1.0));
    sp.setCell(row, kTimes, Variant(std::int32_t{oral ? lLastCnt : 1}));
    sp.setCell(row, kDays, Variant(std::int32_t{oral ? lLastDay : 1}));
    sp.setCell(row, kTotal, Variant(oral ? dLastTot : 1.0));
    const int coverage = coverageIndex(d.vcYakGu);
    sp.setCell(row, kCoverage, 2, Variant(static_cast<std::int16_t>(coverage)));
    sp.spForeColor(row, kDifference, codes::coverageColour(coverage));
    sp.setCell(row, kRoute, 2, Variant(static_cast<std::int16_t>(routeIndex(d.vcYakTo))));
    sp.setCell(row, kUnit, Variant(d.vcYakTakDan));

    Currency price = d.mYakPr, maxPrice = d.mYakPr;
    if (coverage == kNonCovered) {
        const std::string name = d.vcYakNm;
        d.RecordSelectBibo();
        price = d.FindResult ? d.mYakPr : Currency{};
        price =
            priceAnswer(messages().input(name + " 약품의 단가를 입력하십시오.", "단가입력", price.toText()));
        maxPrice = Currency{};
    }
    sp.setCell(row, kPrice, Variant(price));
    sp.setCell(row, kAmount, Variant(price.mul(drugNumber(row, kTotal))));
    sp.setCell(row, kPack, Variant(d.iYakPac));
    sp.setCell(row, kMaxPrice, Variant(maxPrice));
    sp.setCell(row, kDifference, Variant(std::int32_t{0}));
    sp.setCell(row, kSubstitute, Variant(d.vcYakRnd));
}

void frmMain::emptyDrugRow(int row) {
    KVSp& sp = *Sp처방;
    for (int c : {kCode, kName, kUnit, kLastName, kSubstitute})
        sp.setCell(row, c, Variant(""));
    for (int c : {kDose, kTimes, kDays, kTotal, kPrice, kAmount, kPack, kMaxPrice, kDifference})
        sp.setCell(row, c, Variant(std::int32_t{0}));
    sp.setCell(row, kCoverage, 2, Variant(std::int16_t{1}));
    sp.setCell(row, kRoute, 2, Variant(std::int16_t{1}));
    sp.spForeColor(row, kDifference, codes::coverageColour(kNonCovered));
}

void frmMain::drugGridEnter(int row, int col) {
    KVSp& sp = *Sp처방;
    if (row < 1 || row > sp.MaxRows()) return;
    const bool last = row == sp.MaxRows();
    const bool noCode = sp.Cell(row, kCode).toText().empty();
    switch (col) {
    case kName:
        if (sp.Cell(row, kName).toText() != sp.Cell(row, kLastName).toText()) ProcDrugRow(row);
        ProcRecalc();
        return;
    case kTimes:
        if (last && noCode) cmd저장_Click();
        return;
    case kCoverage:
        break;
    default:
        return;
    }
    // The line is complete.
    if (!noCode && sp.MaxRows() > 0) {
        if (sp.Cell(row, kRoute, 1).toText() == codes::kRoute[0]) {
            // All four or none: a count past a Long leaves the defaults as they were.
            const std::int32_t times = toLong(drugNumber(row, kTimes)), days = toLong(drugNumber(row, kDays));
            dLastQty = drugNumber(row, kDose);
            lLastCnt = times;
            lLastDay = days;
            dLastTot = drugNumber(row, kTotal);
        }
        if (drugNumber(row, kTotal) <= 0) {
            messages().information("투약정보오류 [투약량/횟수/일수]를 정확히 입력해 주세요.", "경고");
            sp.spGoCell(row, kName);
            return;
        }
    }
    ProcRecalc();
    if (last && !noCode) {
        sp.setMaxRows(sp.MaxRows() + 1);
        sp.spGoCell(row + 1, kCode);
    } else if (last) {
        sp.spGoCell(row, kCode);
    } else {
        sp.spGoCell(row + 1, kCode);
    }
    sp처방->viewport()->update();
}

void frmMain::drugGridPriceClick(int row) {
    KVSp& sp = *Sp처방;
    if (row < 1 || row > sp.MaxRows() || sp.Cell(row, kCoverage, 2).toInt16() != kCovered) return;
    const std::string answer =
        messages().input(sp.Cell(row, kName).toText() + "\r\n\r\n약품의 가중평균가를 입력하십시오.",
                         "가중평균가", drugMoney(row, kPrice).toText());
    if (trimSpaces(answer).empty()) return;
    sp.setCell(row, kPrice, Variant(priceAnswer(answer)));
    drugPriceDifference(row);
    sp.setCell(row, kAmount, Variant(drugMoney(row, kPrice).mul(drugNumber(row, kTotal))));
    ProcRecalc();
}

} // namespace pelmora
