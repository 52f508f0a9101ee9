// The four grids of the main window: the drug lines and the three result grids.

#include "frmMain.h"

#include "CodeTables.h"
#include "KVSp.h"

#include <QHeaderView>
#include <QStringList>
#include <QTableView>

namespace pelmora {

namespace {
QString joined(const auto& texts) {
    QStringList l;
    for (const char* t : texts)
        l << QString::fromUtf8(t);
    return l.join(u',');
}

// A result grid: captions in column 1, read only, money in the other columns.
void resultGrid(KVSp* sp, const std::vector<const char*>& headers, const std::vector<const char*>& rows,
                const std::vector<double>& widths) {
    sp->setMaxCols(static_cast<int>(headers.size()));
    sp->setMaxRows(static_cast<int>(rows.size()));
    for (int c = 1; c <= sp->MaxCols(); ++c) {
        sp->setCell(0, c, Variant(headers[static_cast<std::size_t>(c - 1)]));
        sp->ColWidth(c, widths[static_cast<std::size_t>(c - 1)]);
    }
    for (int r = 1; r <= sp->MaxRows(); ++r)
        sp->setCell(r, 1, Variant(rows[static_cast<std::size_t>(r - 1)]));
    sp->spCellType(-1, 1, kSpTypeStatic);
    sp->spCellColor(-1, 1, -1, 1, 0xF0F0F0);
    sp->OperationMode(1);
    QTableView* v = sp->SpSet();
    v->verticalHeader()->hide();
    v->setFocusPolicy(Qt::NoFocus);
    // Captions keep their width; the amount columns share what is left, so
    // every column stays in view whatever the font (no horizontal scroll bar
    // may hide the last row).
    v->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    v->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Interactive);
    v->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    v->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // Every row in view, nothing more.
    v->setFixedHeight(v->horizontalHeader()->sizeHint().height() +
                      sp->MaxRows() * v->verticalHeader()->defaultSectionSize() + 2 * v->frameWidth() + 2);
}
} // namespace

void frmMain::buildGrids() {
    auto grid = [this](const char* name) {
        auto* v = new QTableView(this);
        v->setObjectName(QString::fromUtf8(name));
        v->setAlternatingRowColors(false);
        v->horizontalHeader()->setHighlightSections(false);
        auto* sp = new KVSp(this);
        sp->DefaultRowHeight = 13.5; // room for Hangul at 9 points
        return std::pair{v, sp};
    };
    std::tie(sp수가, Sp수가) = grid("sp수가");
    std::tie(sp약가, Sp약가) = grid("sp약가");
    std::tie(sp계산, Sp계산) = grid("sp계산");
    std::tie(sp처방, Sp처방) = grid("sp처방");
    for (auto [view, sp] : {std::pair{sp수가, Sp수가}, {sp약가, Sp약가}, {sp계산, Sp계산}, {sp처방, Sp처방}})
        sp->SpSet(view, 0);

    resultGrid(Sp수가, {"구분", "수가코드", "보험", "비보험"},
               {"약국관리료", "조제기본료", "복약지도료", "내복약조제료", "외용약조제료", "의약품관리료",
                "토요가산금", "조제료합"},
               {11, 8, 8, 8});
    Sp수가->spCellType(-1, 3, kSpTypeNumber);
    Sp수가->spCellType(-1, 4, kSpTypeNumber);
    resultGrid(Sp약가, {"구분", "보험", "비보험", "100/100", "50/100", "80/100", "30/100", "90/100"},
               {"내복약가", "외용약가", "주사약가", "일부비보험", "약가합"}, {9, 8, 8, 8, 8, 8, 8, 8});
    for (int c = 2; c <= 8; ++c)
        Sp약가->spCellType(-1, c, kSpTypeNumber);
    resultGrid(Sp계산, {"구분", "금액"},
               {"요양급여비용", "보험청구액", "본인부담금", "지원금", "진료비총액", "보훈청구액",
                "건강보험 100/100 본인부담금", "100/100미만 총액", "100/100미만 청구액",
                "100/100미만 보훈청구액", "100/100미만 본인부담금", "비보험금", "받을금액"},
               {26, 9});
    Sp계산->spCellType(-1, 2, kSpTypeNumber);
    sp계산->setFixedWidth(306);

    const std::vector<const char*> headers = {
        "표준코드", "약품명", "투약량", "횟수",           "일수",   "총량",     "보험구분", "복용구분",
        "단위",     "단가",   "금액",   "상품명변화체크", "팩단위", "상한단가", "상한차액", "임의조제"};
    const double widths[] = {9, 24, 5, 4, 4, 5, 7, 6, 5, 7, 8, 8, 5, 7, 7, 6};
    Sp처방->setMaxCols(static_cast<int>(headers.size()));
    for (int c = 1; c <= Sp처방->MaxCols(); ++c) {
        Sp처방->setCell(0, c, Variant(headers[static_cast<std::size_t>(c - 1)]));
        Sp처방->ColWidth(c, widths[c - 1]);
    }
    Sp처방->spComboFill(-1, 7, joined(codes::kCoverage));
    Sp처방->spComboFill(-1, 8, joined(codes::kRoute));
    for (int c : {10, 11, 14, 15})
        Sp처방->spCellType(-1, c, kSpTypeNumber);
    Sp처방->spLock(-1, 1, true);
    Sp처방->spLock(-1, 11, -1, 15, true);
    Sp처방->ColHidden(12, true);
    Sp처방->ColHidden(13, true);
    sp처방->horizontalHeader()->setStretchLastSection(true);
}

void frmMain::clearResultGrids() {
    for (int r = 1; r <= 8; ++r) {
        Sp수가->setCell(r, 2, Variant(""));
        Sp수가->setCell(r, 3, Variant("0"));
        Sp수가->setCell(r, 4, Variant("0"));
    }
    for (int r = 1; r <= 5; ++r)
        for (int c = 2; c <= 8; ++c)
            Sp약가->setCell(r, c, Variant("0"));
    for (int r = 1; r <= 13; ++r)
        Sp계산->setCell(r, 2, Variant("0"));
    figures_.reset();
}

// An empty line is added, or the empty last one reused, and the drug name
// cell becomes active.
void frmMain::ProcAddRow() {
    if (Sp처방->MaxRows() < 1) {
        Sp처방->setMaxRows(1);
    } else if (!Sp처방->Cell(Sp처방->MaxRows(), 1).toText().empty()) {
        Sp처방->setMaxRows(Sp처방->MaxRows() + 1);
    }
    Sp처방->spGoCell(Sp처방->MaxRows(), 2);
}

} // namespace pelmora
