#include "frmDetail.h"

#include "KVSp.h"

#include <QCloseEvent>
#include <QHeaderView>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>
#include <array>

namespace pelmora {

namespace {
const std::array<const char*, 5> kColumnCaptions{"항목", "본인부담금", "공단부담금", "100:100", "비급여"};
const std::array<const char*, DetailBreakdown::kRows> kRowCaptions{
    "약품비", "조제기본료", "복약지도료", "조제료", "관리료", "선별급여", "65세 이상 등 정액", "기타"};
} // namespace

frmDetail::frmDetail(QWidget* parent) : QWidget(parent, Qt::Window | Qt::Tool) {
    setWindowTitle(QStringLiteral("상세계산"));
    // It only shows figures: the pharmacist keeps typing in the main window.
    setAttribute(Qt::WA_ShowWithoutActivating);
    sp약제비 = new QTableView(this);
    sp약제비->setObjectName(QStringLiteral("sp약제비"));
    Sp약제비 = new KVSp(this);
    Sp약제비->SpSet(sp약제비);
    Sp약제비->OperationMode(1);
    Sp약제비->setMaxCols(static_cast<int>(kColumnCaptions.size()));
    Sp약제비->setMaxRows(DetailBreakdown::kRows);
    for (int c = 1; c <= Sp약제비->MaxCols(); ++c) {
        Sp약제비->model()->setHeader(c, QString::fromUtf8(kColumnCaptions[static_cast<std::size_t>(c - 1)]));
        Sp약제비->ColWidth(c, c == 1 ? 17 : 11);
    }
    for (int r = 1; r <= DetailBreakdown::kRows; ++r)
        Sp약제비->setCell(r, 1, std::string(kRowCaptions[static_cast<std::size_t>(r - 1)]));
    Sp약제비->spCellColor(1, 1, DetailBreakdown::kRows, 1, 0xE0E0E0);
    // Whole won with separators on the screen; the cell keeps the exact amount.
    for (int c = 2; c <= Sp약제비->MaxCols(); ++c)
        Sp약제비->spCellType(-1, c, kSpTypeNumber);
    sp약제비->verticalHeader()->hide();
    sp약제비->setFocusPolicy(Qt::NoFocus);
    sp약제비->horizontalHeader()->setStretchLastSection(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(sp약제비);
    const int rowsHeight = sp약제비->horizontalHeader()->sizeHint().height() +
                           DetailBreakdown::kRows * sp약제비->verticalHeader()->defaultSectionSize();
    int width = 0;
    for (int c = 0; c < Sp약제비->MaxCols(); ++c)
        width += sp약제비->columnWidth(c);
    resize(width + 16, rowsHeight + 24);
}

frmDetail::~frmDetail() = default;

void frmDetail::showBreakdown(const DetailBreakdown& b) {
    for (int r = 0; r < DetailBreakdown::kRows; ++r)
        for (int c = 0; c < DetailBreakdown::kCols; ++c) {
            const auto& v = b.cell[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)];
            Sp약제비->setCell(r + 1, c + 2, v ? Variant(*v) : Variant(std::string()));
        }
}

void frmDetail::closeEvent(QCloseEvent* event) {
    QWidget::closeEvent(event);
    emit closed();
}

namespace {
int clampInto(int start, int length, int areaStart, int areaLength) {
    return std::max(std::min(start, areaStart + areaLength - length), areaStart);
}
} // namespace

DetailPlacement detailPlacement(const QRect& mainFrame, const QSize& mainMinimum, const QSize& detailFrame,
                                const QRect& screen) {
    const int dw = detailFrame.width(), dh = detailFrame.height();
    const int levelTop = clampInto(mainFrame.top(), dh, screen.top(), screen.height());
    const int rightAligned = clampInto(mainFrame.right() + 1 - dw, dw, screen.left(), screen.width());
    // Beside it, where it stands.
    if (mainFrame.right() + 1 + dw <= screen.right() + 1)
        return {mainFrame, {mainFrame.right() + 1, levelTop}};
    if (mainFrame.left() - dw >= screen.left()) return {mainFrame, {mainFrame.left() - dw, levelTop}};
    // Beside it, the main window moved along.
    if (mainFrame.width() + dw <= screen.width()) {
        QRect main = mainFrame;
        main.moveLeft(std::max(screen.left(), screen.right() + 1 - dw - main.width()));
        return {main, {main.right() + 1, levelTop}};
    }
    // Below or above it.
    if (mainFrame.bottom() + 1 + dh <= screen.bottom() + 1)
        return {mainFrame, {rightAligned, mainFrame.bottom() + 1}};
    if (mainFrame.top() - dh >= screen.top()) return {mainFrame, {rightAligned, mainFrame.top() - dh}};
    // The main window makes room: less height, the detail below it.
    if (screen.height() - dh >= mainMinimum.height()) {
        QRect main = mainFrame;
        main.setTop(screen.top());
        main.setHeight(std::min(mainFrame.height(), screen.height() - dh));
        main.moveLeft(clampInto(main.left(), main.width(), screen.left(), screen.width()));
        return {main,
                {clampInto(main.right() + 1 - dw, dw, screen.left(), screen.width()), main.bottom() + 1}};
    }
    // Or less width, the detail beside it.
    if (screen.width() - dw >= mainMinimum.width()) {
        QRect main = mainFrame;
        main.setLeft(screen.left());
        main.setWidth(screen.width() - dw);
        return {main, {main.right() + 1, levelTop}};
    }
    // A screen too small for both: the detail stays inside it.
    return {mainFrame,
            {clampInto(mainFrame.right() + 1 - dw, dw, screen.left(), screen.width()),
             clampInto(mainFrame.bottom() + 1 - dh, dh, screen.top(), screen.height())}};
}

} // namespace pelmora
