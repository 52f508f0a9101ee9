#pragma once
// What the prescription entry window hands its pricing run: the header fields
// as the widgets hold them and every row of the drug grid as raw cell values.
// The window fills it from its widgets; nothing here ever sees a widget.

#include "util/Variant.h"

#include <array>
#include <string>
#include <vector>

namespace pelmora {

// One row of sp처방.
struct ChargeRow {
    // Columns 1..16 as the grid's cell values (Cell kind 0): "1234", "7.5",
    // never the grouped "1,234" the grid shows.
    std::array<Variant, 16> cell{};
    // The displayed texts of the combo columns 7 (보험구분, "급여", "100/100" …)
    // and 8 (복용구분, "내복" …), which the request carries as words.
    std::string 보험구분, 복용구분;

    const Variant& col(int column) const { return cell.at(static_cast<std::size_t>(column - 1)); }
    Variant& col(int column) { return cell.at(static_cast<std::size_t>(column - 1)); }
};

struct ChargeInput {
    bool bLoading = false; // the program itself is filling the window
    int cmb연령 = 0;       // selected index
    int cmb시간외 = 0;     // selected index
    int cmb보험종류 = 0;   // selected index
    // Captions of the two rate labels (the rate of each special code, or "").
    std::string lab특정기호1, lab특정기호2;
    bool chk비급여조제료 = false;
    std::string txt요양기관번호;
    std::string cmb본인부담여부; // the displayed entry: "해당없음", "M001" …
    std::string txt특정기호1, txt특정기호2;
    std::string pvd조제일자; // yyyymmdd
    // hhmmss. The request does not carry it: the after-hours class already
    // says what the time means for the charges.
    std::string pvt조제시간;
    bool chk자가투여주사 = false;
    bool chk계산상세보기 = false;
    std::vector<ChargeRow> sp처방; // rows 1..MaxRows, empty rows included
};

} // namespace pelmora
