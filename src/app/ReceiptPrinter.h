#pragma once
// Putting a receipt or a detailed statement of a stored prescription on
// paper or into a PDF file through Qt Print Support. The text stays text
// (selectable, searchable) and the Korean font travels inside the file.

#include "ReceiptHtml.h"
#include "data/Settings.h"

#include <QString>

#include <string>

class QPagedPaintDevice;

namespace pelmora {

class RefConnection;
class SqliteConnection;

// Lays the rich text out on the device's pages: A4 pages one after another,
// or one roll page as long as the text. False when painting could not start.
bool RenderReceipt(QPagedPaintDevice& device, const QString& html, ReceiptPaper paper);

struct ReceiptPrint {
    SqliteConnection& store;
    RefConnection* ref = nullptr; // to price again a prescription saved without its figures
    Pharmacy pharmacy;
    std::string preCd;
    ReceiptKind kind = ReceiptKind::Receipt;
    ReceiptPaper paper = ReceiptPaper::A4;
};

struct ReceiptPrintResult {
    bool printed = false;
    QString error;         // Korean, for the pharmacist, when not printed
    std::string receiptNo; // of a receipt
    bool reissue = false;
    bool repriced = false; // the figures were priced again
};

// Prints the receipt (with its number, given at its first printing, and the
// count of printings) or the statement. The number and the count are taken
// in one transaction that stands only when the printing went through; a
// prescription saved without figures has them priced again and kept with the
// receipt's number.
ReceiptPrintResult PrintStoredReceipt(const ReceiptPrint& job, QPagedPaintDevice& device);

} // namespace pelmora
