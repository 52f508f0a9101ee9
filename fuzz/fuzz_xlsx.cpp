// Spreadsheets come from the internet (the national drug list) and from
// whatever a pharmacist picks for a grid's import. Any bytes taken as an
// .xlsx must open and stream rows, or be refused with XlsxError; never
// crash, hang, or hold more than the rows a sheet can have. The zip
// directory, the workbook and its relations, the shared strings and the
// sheet XML with every cell type are all in the bytes.

#include "FuzzInput.h"
#include "util/XlsxReader.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto file = pelmora::fuzz::writeInput("grid.xlsx", data, size);
    try {
        pelmora::XlsxReader xlsx(file.string());
        std::size_t rows = 0;
        xlsx.readRows([&](std::size_t, const pelmora::XlsxReader::Cells& cells) {
            // A workbook has 16,384 columns at most; a row handed on holds a cell.
            if (cells.empty() || cells.size() > 16384) pelmora::fuzz::fault("a row of no cells or too many");
            return ++rows < 100000; // enough to see every kind of row
        });
    } catch (const pelmora::XlsxError&) {
    }
    return 0;
}
