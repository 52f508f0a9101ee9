#include "XlsxFile.h"

#include "util/XlsxReader.h"

#include <QFile>

#include <xlsxwriter.h>

#include <algorithm>

namespace pelmora {

bool writeXlsx(const QString& path, const std::vector<std::vector<XlsxCell>>& rows, QString* error) {
    const QByteArray file = QFile::encodeName(path);
    lxw_workbook* wb = workbook_new(file.constData());
    if (!wb) {
        *error = QStringLiteral("cannot create workbook");
        return false;
    }
    lxw_worksheet* ws = workbook_add_worksheet(wb, "Sheet1");
    for (std::size_t r = 0; r < rows.size(); ++r) {
        for (std::size_t c = 0; c < rows[r].size(); ++c) {
            const XlsxCell& cell = rows[r][c];
            if (cell.text.isEmpty()) continue;
            const auto row = static_cast<lxw_row_t>(r);
            const auto col = static_cast<lxw_col_t>(c);
            bool ok = false;
            const double d = cell.number ? cell.text.toDouble(&ok) : 0;
            if (ok) worksheet_write_number(ws, row, col, d, nullptr);
            else worksheet_write_string(ws, row, col, cell.text.toUtf8().constData(), nullptr);
        }
    }
    const lxw_error rc = workbook_close(wb);
    if (rc != LXW_NO_ERROR) {
        *error = QString::fromUtf8(lxw_strerror(rc));
        return false;
    }
    return true;
}

XlsxRead readXlsx(const QString& path, std::vector<QStringList>* rows, QString* error) {
    rows->clear();
    try {
        XlsxReader reader(QFile::encodeName(path).toStdString());
        qsizetype maxCol = 0;
        reader.readRows([&](std::size_t row, const XlsxReader::Cells& cells) {
            if (rows->size() <= row) rows->resize(row + 1);
            QStringList& out = (*rows)[row];
            for (const std::string& c : cells)
                out.append(QString::fromStdString(c));
            maxCol = std::max(maxCol, out.size());
            return true;
        });
        for (QStringList& cells : *rows)
            while (cells.size() < maxCol) cells.append(QString());
        return XlsxRead::Ok;
    } catch (const XlsxError& e) {
        rows->clear();
        *error = QString::fromStdString(e.what());
        return e.kind() == XlsxError::Kind::NotSpreadsheet ? XlsxRead::NotSpreadsheet : XlsxRead::Failed;
    }
}

} // namespace pelmora
