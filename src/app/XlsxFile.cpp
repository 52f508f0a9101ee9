#include "XlsxFile.h"

#include "util/Variant.h"

#include <QFile>
#include <QXmlStreamReader>

#include <unzip.h>
#include <xlsxwriter.h>

#include <memory>

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

namespace {
struct UnzipCloser {
    void operator()(void* z) const { unzClose(z); }
};
using Zip = std::unique_ptr<void, UnzipCloser>;

bool readEntry(unzFile zip, const char* name, QByteArray* out) {
    if (unzLocateFile(zip, name, 0) != UNZ_OK || unzOpenCurrentFile(zip) != UNZ_OK) return false;
    out->clear();
    char buf[65536];
    int n = 0;
    while ((n = unzReadCurrentFile(zip, buf, sizeof buf)) > 0) out->append(buf, n);
    const bool ok = n == 0;
    return unzCloseCurrentFile(zip) == UNZ_OK && ok;
}

QString attr(const QXmlStreamReader& x, QStringView localName) {
    for (const auto& a : x.attributes())
        if (a.name() == localName) return a.value().toString();
    return {};
}

// Text of an element and its <t> descendants, leaving phonetic runs out.
QString readText(QXmlStreamReader& x) {
    QString text;
    int depth = 1, skip = 0;
    while (depth > 0 && !x.atEnd()) {
        const auto t = x.readNext();
        if (t == QXmlStreamReader::StartElement) {
            if (x.name() == u"t" && !skip) {
                text += x.readElementText(QXmlStreamReader::IncludeChildElements);
                continue;
            }
            ++depth;
            if (x.name() == u"rPh") ++skip;
        } else if (t == QXmlStreamReader::EndElement) {
            --depth;
            if (x.name() == u"rPh") --skip;
        }
    }
    return text;
}

// "BC12" → column 55 (0-based 54) and row 12.
bool parseRef(const QString& ref, int* row, int* col) {
    int c = 0, i = 0;
    for (; i < ref.size() && ref[i].isLetter(); ++i) c = c * 26 + (ref[i].toUpper().unicode() - u'A' + 1);
    bool ok = false;
    const int r = ref.mid(i).toInt(&ok);
    if (!ok || c == 0 || r < 1) return false;
    *row = r - 1;
    *col = c - 1;
    return true;
}

QString numberText(const QString& v) {
    bool ok = false;
    const double d = v.toDouble(&ok);
    return ok ? QString::fromStdString(doubleToText(d)) : v;
}
} // namespace

XlsxRead readXlsx(const QString& path, std::vector<QStringList>* rows, QString* error) {
    rows->clear();
    const QByteArray file = QFile::encodeName(path);
    Zip zip(unzOpen64(file.constData()));
    QByteArray workbook, rels, shared, sheet;
    if (!zip || !readEntry(zip.get(), "xl/workbook.xml", &workbook)) return XlsxRead::NotSpreadsheet;

    QString sheetId, target;
    for (QXmlStreamReader x(workbook); !x.atEnd() && sheetId.isEmpty();)
        if (x.readNext() == QXmlStreamReader::StartElement && x.name() == u"sheet") sheetId = attr(x, u"id");
    if (readEntry(zip.get(), "xl/_rels/workbook.xml.rels", &rels))
        for (QXmlStreamReader x(rels); !x.atEnd() && target.isEmpty();)
            if (x.readNext() == QXmlStreamReader::StartElement && x.name() == u"Relationship" &&
                attr(x, u"Id") == sheetId)
                target = attr(x, u"Target");
    if (target.isEmpty()) target = QStringLiteral("worksheets/sheet1.xml");
    const QString entry = target.startsWith(u'/') ? target.mid(1) : QStringLiteral("xl/") + target;
    if (!readEntry(zip.get(), entry.toUtf8().constData(), &sheet)) {
        *error = QStringLiteral("missing sheet ") + entry;
        return XlsxRead::Failed;
    }

    QStringList strings;
    if (readEntry(zip.get(), "xl/sharedStrings.xml", &shared))
        for (QXmlStreamReader x(shared); !x.atEnd();)
            if (x.readNext() == QXmlStreamReader::StartElement && x.name() == u"si") strings.append(readText(x));

    int maxCol = 0, nextRow = -1, nextCol = 0;
    QXmlStreamReader x(sheet);
    while (!x.atEnd()) {
        if (x.readNext() != QXmlStreamReader::StartElement) continue;
        if (x.name() == u"row") {
            bool ok = false;
            const int r = attr(x, u"r").toInt(&ok);
            nextRow = ok && r > 0 ? r - 1 : nextRow + 1;
            nextCol = 0;
            continue;
        }
        if (x.name() != u"c") continue;
        int row = std::max(nextRow, 0), col = 0;
        if (!parseRef(attr(x, u"r"), &row, &col)) col = nextCol;
        nextCol = col + 1;
        const QString type = attr(x, u"t");
        QString value;
        if (type == u"inlineStr") {
            value = readText(x);
        } else {
            while (!x.atEnd() && !(x.readNext() == QXmlStreamReader::EndElement && x.name() == u"c"))
                if (x.isStartElement() && x.name() == u"v") value = x.readElementText();
            if (type == u"s") {
                bool ok = false;
                const int i = value.toInt(&ok);
                value = ok && i >= 0 && i < strings.size() ? strings[i] : QString();
            } else if (type == u"b") {
                value = value == u"1" ? QStringLiteral("True") : QStringLiteral("False");
            } else if (type.isEmpty() || type == u"n") {
                value = numberText(value);
            }
        }
        if (rows->size() <= std::size_t(row)) rows->resize(std::size_t(row) + 1);
        QStringList& cells = (*rows)[std::size_t(row)];
        while (cells.size() <= col) cells.append(QString());
        cells[col] = value;
        maxCol = std::max(maxCol, col + 1);
    }
    if (x.hasError()) {
        *error = x.errorString();
        return XlsxRead::Failed;
    }
    for (QStringList& cells : *rows)
        while (cells.size() < maxCol) cells.append(QString());
    return XlsxRead::Ok;
}

} // namespace pelmora
