#pragma once
// National drug price list files for tests and benchmarks, written with
// libxlsxwriter in the published layouts: ingredient-group rows between the
// products, codes as text, prices as numbers (or the text "산정불가").

#include <xlsxwriter.h>

#include <map>
#include <string>
#include <vector>

namespace pelmora::test {

enum class ListLayout { y2019, y2024, y2026 };

struct ListRow {
    std::string code;   // 제품코드; for a group row the generic name in English
    std::string name{}; // empty on a group row
    std::string route = "내복";
    std::string price = "100"; // "산정불가" is written as text
    std::string maker = "한빛제약";
    std::string size = "1", unit = "정"; // 규격 and 단위
    std::string classNo = "114", ingredient = "100101ATB";
};

inline const std::vector<std::string>& listHeaders(ListLayout layout) {
    static const std::map<ListLayout, std::vector<std::string>> headers = {
        {ListLayout::y2019,
         {"연번", "투여", "분류", "주성분코드", "제품코드", "제품명", "업체명", "규격", "단위", "상한금액",
          "전일", "비고_위험분담", "비고", "목록정비전코드"}},
        {ListLayout::y2024,
         {"연번", "투여", "분류", "주성분코드", "제품코드", "제품명", "업체명", "규격", "단위", "상한금액",
          "전일", "비고"}},
        {ListLayout::y2026,
         {"연번", "투여", "분류", "식약분류", "주성분코드\n_동일제형", "주성분코드", "주성분\n개수",
          "주성분명", "제품코드", "제품명", "업체명", "규격", "단위", "상한금액표 금액", "전일", "비고"}}};
    return headers.at(layout);
}

// Returns false when the workbook could not be written. Texts go into the
// shared-string table as published files hold them, or inline.
inline bool writeDrugList(const std::string& path, const std::string& sheet, ListLayout layout,
                          const std::vector<ListRow>& rows, bool inlineStrings = true) {
    lxw_workbook_options options{};
    options.constant_memory = inlineStrings ? LXW_TRUE : LXW_FALSE;
    lxw_workbook* wb = workbook_new_opt(path.c_str(), &options);
    if (!wb) return false;
    lxw_worksheet* ws = workbook_add_worksheet(wb, sheet.c_str());
    const auto& head = listHeaders(layout);
    std::map<std::string, lxw_col_t> col;
    for (std::size_t c = 0; c < head.size(); ++c) {
        worksheet_write_string(ws, 0, static_cast<lxw_col_t>(c), head[c].c_str(), nullptr);
        col[head[c]] = static_cast<lxw_col_t>(c);
    }
    const bool late = layout == ListLayout::y2026;
    const lxw_col_t price = col[late ? "상한금액표 금액" : "상한금액"];
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const ListRow& r = rows[i];
        const auto row = static_cast<lxw_row_t>(i + 1);
        auto text = [&](const char* h, const std::string& v) {
            if (!v.empty()) worksheet_write_string(ws, row, col[h], v.c_str(), nullptr);
        };
        worksheet_write_number(ws, row, 0, static_cast<double>(i + 1), nullptr);
        text("투여", r.route);
        text("분류", r.classNo);
        text("주성분코드", r.ingredient);
        text("제품코드", r.code);
        if (r.name.empty()) continue; // a group row: nothing but the generic name
        text("제품명", r.name);
        text("업체명", r.maker);
        worksheet_write_number(ws, row, col["규격"], std::stod(r.size), nullptr);
        text("단위", r.unit);
        if (r.price == "산정불가")
            text(late ? "상한금액표 금액" : "상한금액", r.price);
        else
            worksheet_write_number(ws, row, price, std::stod(r.price), nullptr);
        text("전일", "전문");
    }
    return workbook_close(wb) == LXW_NO_ERROR;
}

} // namespace pelmora::test
