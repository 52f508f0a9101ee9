#pragma once
// The read-only grids of the report windows (the day's totals, the year's
// medical expenses) and their spreadsheet export: the columns of a report,
// and a sheet built off the screen and saved through the grid wrapper's
// export, so what is saved may differ from what is shown (resident numbers
// whole, several tables one under the other).

#include "KVSp.h"
#include "util/Variant.h"

#include <QTableView>

#include <memory>
#include <vector>

namespace pelmora {

struct ReportColumn {
    const char* caption;
    double width; // characters
    bool number;  // whole won with thousands separators, right-aligned
};

// Binds a grid read-only with these columns and no rows.
void SetReportColumns(KVSp& sp, const std::vector<ReportColumn>& columns);

// Writes one row of values (text, numbers, money) into row of the grid.
void SetReportRow(KVSp& sp, int row, const std::vector<Variant>& values);

class ReportSheet {
  public:
    explicit ReportSheet(const std::vector<ReportColumn>& columns);
    ~ReportSheet();
    ReportSheet(const ReportSheet&) = delete;
    ReportSheet& operator=(const ReportSheet&) = delete;

    void addRow(const std::vector<Variant>& values);
    // A row whose first cell names what follows; the other cells empty.
    void addCaption(const QString& text);
    // Saves to the file (.xlsx), with the wrapper's own messages.
    bool save(const QString& file);
    KVSp& grid() { return *sp_; }

  private:
    // The wrapper goes before its grid: it lets go of the grid on its way out.
    std::unique_ptr<QTableView> view_;
    std::unique_ptr<KVSp> sp_;
};

} // namespace pelmora
