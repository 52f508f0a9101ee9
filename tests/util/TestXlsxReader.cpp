#include "support/TempDir.h"
#include "util/Variant.h"
#include "util/XlsxReader.h"

#include <gtest/gtest.h>

#include <xlsxwriter.h>
#include <zip.h>

#include <fstream>
#include <map>
#include <random>

using namespace pelmora;

namespace {

using Sheet = std::map<std::size_t, XlsxReader::Cells>;

// A random sheet: texts with Hangul, line breaks, markup characters and
// leading zeros, whole and fractional numbers, gaps between cells and rows.
Sheet randomSheet(std::mt19937& rng, std::map<std::pair<std::size_t, std::size_t>, double>& numbers) {
    const char* const texts[] = {
        "제품코드", "주성분코드\n_동일제형",         "012345678", "a & b < c > \"d\"", " 앞뒤 공백 ",
        "산정불가", "chloral hydrate 9.5g(0.1g/mL)", "95(1)"};
    Sheet sheet;
    const std::size_t rows = 1 + rng() % 40;
    for (std::size_t r = 0; r < rows; ++r) {
        if (rng() % 5 == 0) continue; // a row left out
        const std::size_t row = 2 * r + rng() % 2;
        XlsxReader::Cells& cells = sheet[row];
        const std::size_t cols = 1 + rng() % 30;
        for (std::size_t c = 0; c < cols; ++c) {
            cells.emplace_back();
            switch (rng() % 4) {
            case 0:
                break; // no cell
            case 1:
                cells[c] = texts[rng() % std::size(texts)] + std::to_string(rng() % 3);
                break;
            default: {
                const double d = rng() % 2 ? static_cast<double>(rng() % 100000000) : (rng() % 100000) / 64.0;
                numbers[{row, c}] = d;
                cells[c] = doubleToText(d);
            }
            }
        }
        while (!cells.empty() && cells.back().empty())
            cells.pop_back();
        if (cells.empty()) sheet.erase(row);
    }
    return sheet;
}

void write(const std::string& path, const Sheet& sheet,
           const std::map<std::pair<std::size_t, std::size_t>, double>& numbers, bool constantMemory) {
    lxw_workbook_options options{};
    options.constant_memory = constantMemory ? LXW_TRUE : LXW_FALSE;
    lxw_workbook* wb = workbook_new_opt(path.c_str(), &options);
    lxw_worksheet* ws = workbook_add_worksheet(wb, "24년1월1일_(3)");
    for (const auto& [row, cells] : sheet)
        for (std::size_t c = 0; c < cells.size(); ++c) {
            if (cells[c].empty()) continue;
            const auto r = static_cast<lxw_row_t>(row);
            const auto col = static_cast<lxw_col_t>(c);
            if (auto n = numbers.find({row, c}); n != numbers.end())
                worksheet_write_number(ws, r, col, n->second, nullptr);
            else
                worksheet_write_string(ws, r, col, cells[c].c_str(), nullptr);
        }
    ASSERT_EQ(workbook_close(wb), LXW_NO_ERROR);
}

Sheet read(const std::string& path, std::string* sheetName = nullptr) {
    XlsxReader reader(path);
    if (sheetName) *sheetName = reader.sheetName();
    Sheet got;
    EXPECT_TRUE(reader.readRows([&](std::size_t row, const XlsxReader::Cells& cells) {
        got[row] = cells;
        return true;
    }));
    return got;
}

XlsxError::Kind failure(const std::string& path) {
    try {
        read(path);
    } catch (const XlsxError& e) {
        return e.kind();
    }
    ADD_FAILURE() << path << " was read";
    return XlsxError::Kind::Damaged;
}

// Shared strings (the default) and inline strings (constant memory) both
// come back exactly as written.
TEST(XlsxReader, RandomSheetsRoundTrip) {
    test::TempDir dir;
    std::mt19937 rng(20240101);
    for (int i = 0; i < 60; ++i) {
        std::map<std::pair<std::size_t, std::size_t>, double> numbers;
        const Sheet sheet = randomSheet(rng, numbers);
        const std::string path = dir.file("r" + std::to_string(i) + ".xlsx");
        write(path, sheet, numbers, i % 2 == 1);
        std::string name;
        EXPECT_EQ(read(path, &name), sheet) << "sheet " << i;
        EXPECT_EQ(name, "24년1월1일_(3)");
    }
}

void zipOf(const std::string& path, const std::map<std::string, std::string>& entries) {
    zipFile z = zipOpen64(path.c_str(), APPEND_STATUS_CREATE);
    for (const auto& [name, text] : entries) {
        zipOpenNewFileInZip64(z, name.c_str(), nullptr, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED,
                              Z_DEFAULT_COMPRESSION, 0);
        zipWriteInFileInZip(z, text.data(), static_cast<unsigned>(text.size()));
        zipCloseFileInZip(z);
    }
    zipClose(z, nullptr);
}

TEST(XlsxReader, RefusesWhatIsNoWorkbookAndWhatIsDamaged) {
    test::TempDir dir;
    std::ofstream(dir.file("plain.xlsx")) << "연번,제품코드\n1,641900010\n";
    EXPECT_EQ(failure(dir.file("plain.xlsx")), XlsxError::Kind::NotSpreadsheet);
    EXPECT_EQ(failure(dir.file("missing.xlsx")), XlsxError::Kind::NotSpreadsheet);

    Sheet sheet;
    for (std::size_t r = 0; r < 2000; ++r)
        sheet[r] = {std::to_string(r), "약품" + std::to_string(r)};
    write(dir.file("whole.xlsx"), sheet, {}, false);
    std::ifstream in(dir.file("whole.xlsx"), std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), {});
    std::ofstream(dir.file("cut.xlsx"), std::ios::binary) << bytes.substr(0, bytes.size() * 2 / 3);
    EXPECT_EQ(failure(dir.file("cut.xlsx")), XlsxError::Kind::NotSpreadsheet);

    zipOf(dir.file("other.zip"), {{"readme.txt", "hello"}});
    EXPECT_EQ(failure(dir.file("other.zip")), XlsxError::Kind::NotSpreadsheet);
    const std::string workbook = R"(<workbook><sheets><sheet name="s" sheetId="1" r:id="rId1"
        xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships"/></sheets></workbook>)";
    zipOf(dir.file("badxml.xlsx"),
          {{"xl/workbook.xml", workbook},
           {"xl/worksheets/sheet1.xml", "<worksheet><sheetData><row><c><v>1</v></row>"}});
    EXPECT_EQ(failure(dir.file("badxml.xlsx")), XlsxError::Kind::Damaged);
    zipOf(dir.file("nosheet.xlsx"), {{"xl/workbook.xml", workbook}});
    EXPECT_EQ(failure(dir.file("nosheet.xlsx")), XlsxError::Kind::Damaged);
}

} // namespace
