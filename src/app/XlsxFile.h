#pragma once
// Spreadsheet files of the grids: the first sheet of an .xlsx workbook as
// rows of cell texts. Writing goes through libxlsxwriter, reading through the
// workbook reader every spreadsheet import shares.

#include <QString>
#include <QStringList>

#include <vector>

namespace pelmora {

struct XlsxCell {
    QString text;
    bool number = false; // written as a number, not as text
};

// rows[0] is the header row. False with the library's reason on failure.
bool writeXlsx(const QString& path, const std::vector<std::vector<XlsxCell>>& rows, QString* error);

enum class XlsxRead { Ok, NotSpreadsheet, Failed };
// The first sheet's rows, short rows filled with empty texts.
XlsxRead readXlsx(const QString& path, std::vector<QStringList>* rows, QString* error);

} // namespace pelmora
