#include "TsvTable.h"

namespace pelmora {

TsvTable::TsvTable(std::string_view text) {
    if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3); // the mark a spreadsheet saves first
    while (!text.empty()) {
        std::size_t eol = text.find('\n');
        std::string_view line = text.substr(0, eol);
        text = eol == std::string_view::npos ? std::string_view{} : text.substr(eol + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.empty()) continue;
        std::vector<std::string> fields;
        for (std::size_t tab; (tab = line.find('\t')) != std::string_view::npos; line.remove_prefix(tab + 1))
            fields.emplace_back(line.substr(0, tab));
        fields.emplace_back(line);
        if (header_.empty())
            header_ = std::move(fields);
        else
            rows_.push_back(std::move(fields));
    }
}

} // namespace pelmora
