#pragma once
// The receipt and the detailed statement laid out as rich text, on A4 or on
// an 80 mm roll; ReceiptPrinter puts the text on the paper.

#include "charge/ReceiptDocument.h"

#include <QString>

namespace pelmora {

enum class ReceiptKind { Receipt, Statement };
enum class ReceiptPaper { A4, Roll };

QString ReceiptHtml(const ReceiptDocument& d, ReceiptKind kind, ReceiptPaper paper);

} // namespace pelmora
