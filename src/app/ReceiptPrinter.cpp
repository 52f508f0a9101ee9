#include "ReceiptPrinter.h"

#include "charge/ReceiptDocument.h"
#include "data/ReceiptNumber.h"
#include "util/Clock.h"
#include "util/RuntimeError.h"

#include <QAbstractTextDocumentLayout>
#include <QFont>
#include <QPageLayout>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QTextDocument>

#include <cmath>

namespace pelmora {

namespace {

constexpr double kRollWidthMm = 80;
constexpr double kRollMarginMm = 3;
constexpr double kA4MarginMm = 15;

double toMm(double pixels, int dpi) {
    return pixels / dpi * 25.4;
}

void setUp(QTextDocument& doc, QPagedPaintDevice& device, const QString& html, ReceiptPaper paper) {
    // The layout measures in the device's own units, so the text is set as it will be painted.
    doc.documentLayout()->setPaintDevice(&device);
    // Of the Korean fonts at hand, this one maps its blank back to a space in
    // the file's text, so words copied out of the PDF stay apart.
    QFont font(QStringLiteral("NanumBarunGothic"));
    font.setPointSizeF(paper == ReceiptPaper::Roll ? 7.5 : 9);
    doc.setDefaultFont(font);
    doc.setDocumentMargin(0);
    doc.setHtml(html);
}

} // namespace

bool RenderReceipt(QPagedPaintDevice& device, const QString& html, ReceiptPaper paper) {
    QTextDocument doc;
    const int dpi = device.logicalDpiX();
    if (paper == ReceiptPaper::Roll) {
        // The width is the roll's; the length is what the text needs.
        const QMarginsF margins(kRollMarginMm, kRollMarginMm, kRollMarginMm, kRollMarginMm);
        device.setPageLayout(QPageLayout(QPageSize(QSizeF(kRollWidthMm, 100), QPageSize::Millimeter),
                                         QPageLayout::Portrait, margins, QPageLayout::Millimeter));
        setUp(doc, device, html, paper);
        doc.setTextWidth(device.pageLayout().paintRectPixels(dpi).width());
        const double length = std::ceil(toMm(doc.size().height(), dpi)) + 2 * kRollMarginMm + 2;
        device.setPageLayout(QPageLayout(
            QPageSize(QSizeF(kRollWidthMm, length), QPageSize::Millimeter, QStringLiteral("80mm roll")),
            QPageLayout::Portrait, margins, QPageLayout::Millimeter));
    } else {
        device.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                         QMarginsF(kA4MarginMm, kA4MarginMm, kA4MarginMm, kA4MarginMm),
                                         QPageLayout::Millimeter));
        setUp(doc, device, html, paper);
    }
    QPainter painter;
    if (paper == ReceiptPaper::Roll) {
        // One page as long as the text, laid out once, as it was measured.
        if (!painter.begin(&device)) return false;
        doc.drawContents(&painter);
        return painter.end();
    }
    const QRectF page = device.pageLayout().paintRectPixels(dpi);
    doc.setPageSize(page.size());
    if (!painter.begin(&device)) return false;
    for (int i = 0; i < doc.pageCount(); ++i) {
        if (i > 0 && !device.newPage()) return false;
        painter.save();
        const QRectF shown(0, i * page.height(), page.width(), page.height());
        painter.translate(0, -shown.top());
        doc.drawContents(&painter, shown);
        painter.restore();
    }
    return painter.end();
}

ReceiptPrintResult PrintStoredReceipt(const ReceiptPrint& job, QPagedPaintDevice& device) {
    ReceiptPrintResult r;
    SqliteConnection& store = job.store;
    const LocalDateTime now = Clock::now();
    const std::string today = now.yyyymmdd();
    bool began = false;
    try {
        std::optional<StoredCharge> charge = ChargeForReceipt(store, job.ref, job.preCd);
        if (!charge) {
            r.error = QStringLiteral("저장된 처방전이 아니거나 계산할 약품이 없어 인쇄할 수 없습니다.");
            return r;
        }
        r.repriced = charge->repriced;
        if (charge->pharmacist.empty()) charge->pharmacist = job.pharmacy.pharmacist;
        ReceiptIssue issue;
        if (job.kind == ReceiptKind::Receipt) {
            store.begin(true);
            began = true;
            // Priced again: kept, so every later copy shows the same figures and number.
            if (charge->repriced) charge->Write(store, job.preCd);
            issue = IssueReceipt(store, job.preCd, today.substr(0, 4));
            charge->payment = StoredCharge::Read(store, job.preCd)->payment;
        }
        const ReceiptDocument doc =
            BuildReceiptDocument(store, job.preCd, *charge, job.pharmacy, issue, today);
        if (!RenderReceipt(device, ReceiptHtml(doc, job.kind, job.paper), job.paper)) {
            if (began) store.rollback();
            r.error = QStringLiteral("인쇄를 시작할 수 없습니다. 프린터나 저장할 파일을 확인하여 주십시오.");
            return r;
        }
        if (began) store.commit();
        r.printed = true;
        r.receiptNo = issue.receiptNo;
        r.reissue = issue.reissue;
        return r;
    } catch (const std::exception& e) {
        if (began) store.rollback();
        const auto* rt = dynamic_cast<const RuntimeError*>(&e);
        r.error = QStringLiteral("인쇄하지 못했습니다: ") +
                  QString::fromStdString(rt ? rt->description() : e.what());
        return r;
    }
}

} // namespace pelmora
