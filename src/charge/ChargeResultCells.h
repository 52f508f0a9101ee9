#pragma once
// The three result grids of the main window as data: their captions and the
// cells one priced prescription writes into them. The window writes each
// cell with Cell kind 0; a cell not listed keeps what it held.

#include "util/Variant.h"

#include <string>
#include <vector>

namespace pelmora {

class clsAccount;

struct ResultCell {
    int row = 0; // 1-based, as the grid counts
    int col = 0;
    Variant value;
};

struct ResultGrid {
    std::vector<std::string> columns; // captions of columns 1.. (column 1 heads the row captions)
    std::vector<std::string> rows;    // captions of rows 1.., shown in column 1
    std::vector<ResultCell> cells;    // in the order they are written
};

struct ChargeResultCells {
    ResultGrid sp수가; // fee items
    ResultGrid sp약가; // drug costs by coverage group
    ResultGrid sp계산; // totals and shares

    // Captions only, for setting the grids up before anything is priced.
    static ChargeResultCells captions();
    // Captions and every cell of the result, each value through Nz: codes as
    // text, amounts as money.
    static ChargeResultCells from(const clsAccount& a);
};

} // namespace pelmora
