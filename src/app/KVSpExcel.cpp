// Spreadsheet export and import of the grid wrapper.

#include "KVSp.h"

#include "XlsxFile.h"
#include "util/Messages.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QTableView>

namespace pelmora {

namespace {
QString chooseFile(QWidget* parent, const QString& folder, bool save) {
    const QString filter = QStringLiteral("Excel2007 (*.xlsx)");
    QString name = save ? QFileDialog::getSaveFileName(parent, {}, folder, filter)
                        : QFileDialog::getOpenFileName(parent, {}, folder, filter);
    if (save && !name.isEmpty() && QFileInfo(name).suffix().isEmpty()) name += QStringLiteral(".xlsx");
    return name;
}
} // namespace

// The header row first, then every row; number cells go out as numbers so the
// spreadsheet can add them up, every other cell as text (codes keep their zeros).
bool KVSp::spExportToExcel(const QString& fileName, const QString& folder, bool /*xlsx*/) {
    const QString path = fileName.isEmpty() ? chooseFile(grid_, folder, true) : fileName;
    if (path.isEmpty()) return false;
    std::vector<std::vector<XlsxCell>> rows(static_cast<std::size_t>(MaxRows()) + 1);
    for (int c = 1; c <= MaxCols(); ++c) rows[0].push_back({model_->header(c), false});
    for (int r = 1; r <= MaxRows(); ++r) {
        auto& cells = rows[static_cast<std::size_t>(r)];
        for (int c = 1; c <= MaxCols(); ++c) {
            const int type = model_->cellType(r, c);
            const bool number = type == kSpTypeNumber || type == kSpTypeNumberPlain;
            cells.push_back({number ? model_->value(r, c) : model_->displayText(r, c), number});
        }
    }
    QString error;
    if (!writeXlsx(path, rows, &error)) {
        messages().information("엑셀파일로 저장하지 못하였습니다.\nspExportToExcel  : " + error.toStdString(), "엑셀저장");
        return false;
    }
    messages().information("엑셀파일로 저장하였습니다.", "엑셀저장");
    return true;
}

// The first sheet row holds the column headers, the rest the cells. The grid
// is written as code writes it, so no Change is raised.
bool KVSp::spImportToExcel(const QString& fileName, const QString& folder, bool /*xlsx*/) {
    if (!messages().question("엑셀파일을 읽어오시겠습니까?", "확인")) return false;
    const QString path = fileName.isEmpty() ? chooseFile(grid_, folder, false) : fileName;
    if (path.isEmpty()) return false;
    std::vector<QStringList> rows;
    QString error;
    const XlsxRead result = QFileInfo(path).isReadable() ? readXlsx(path, &rows, &error) : XlsxRead::NotSpreadsheet;
    if (result == XlsxRead::NotSpreadsheet) {
        messages().information("엑셀파일이 아니거나 잠겨있어 읽어올수 없습니다.", "엑셀읽기");
        return false;
    }
    if (result == XlsxRead::Failed) {
        messages().information("엑셀파일 가져오기 실패!!\nspImportToExcel  : " + error.toStdString(), "엑셀읽기");
        return false;
    }
    const int cols = rows.empty() ? 0 : static_cast<int>(rows[0].size());
    setMaxRows(0);
    setMaxCols(cols);
    setMaxRows(rows.empty() ? 0 : static_cast<int>(rows.size()) - 1);
    for (int c = 1; c <= cols; ++c) model_->setHeader(c, rows[0][c - 1]);
    for (int r = 1; r <= MaxRows(); ++r)
        for (int c = 1; c <= cols; ++c) model_->setValue(r, c, rows[static_cast<std::size_t>(r)][c - 1]);
    return true;
}

} // namespace pelmora
