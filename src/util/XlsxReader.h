#pragma once
// The first sheet of an .xlsx workbook, read row by row as cell texts. The
// sheet is streamed from the archive through the XML parser in small pieces,
// so a list of tens of thousands of rows never sits in memory whole; only
// the shared-string table is kept.

#include <cstddef>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace pelmora {

class XlsxError : public std::runtime_error {
  public:
    enum class Kind {
        NotSpreadsheet, // not a zip archive, or no workbook in it (a truncated file is one too)
        Damaged         // a workbook whose parts cannot be read to the end
    };
    XlsxError(Kind kind, const std::string& what) : std::runtime_error(what), kind_(kind) {}
    Kind kind() const { return kind_; }

  private:
    Kind kind_;
};

class XlsxReader {
  public:
    // Cell texts by 0-based column, up to the last cell the row holds;
    // columns without a cell are empty.
    using Cells = std::vector<std::string>;
    // The 0-based sheet row and its cells; false stops the reading.
    using RowHandler = std::function<bool(std::size_t row, const Cells& cells)>;
    // The share of the sheet read so far (0 to 1); false stops the reading.
    using ProgressHandler = std::function<bool(double share)>;

    // Opens the workbook and reads its first sheet's name and the shared
    // strings. Raises XlsxError.
    explicit XlsxReader(const std::string& path);
    ~XlsxReader();
    XlsxReader(const XlsxReader&) = delete;
    XlsxReader& operator=(const XlsxReader&) = delete;

    const std::string& sheetName() const { return sheetName_; }

    // Streams the first sheet's rows that hold a cell, in order. Texts are
    // shared and inline strings as written (phonetic runs left out), numbers
    // as the shortest text of their value, booleans "True"/"False". Returns
    // false when a handler stopped it. Raises XlsxError.
    bool readRows(const RowHandler& onRow, const ProgressHandler& progress = {});

  private:
    struct Archive;
    std::unique_ptr<Archive> zip_;
    std::string sheetName_;
    std::string sheetEntry_;
    std::vector<std::string> strings_;
};

} // namespace pelmora
