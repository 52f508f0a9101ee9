#include "TsvTable.h"

namespace pelmora::refgen {

TsvTable::TsvTable(std::string_view text) {
    bool header = true;
    while (!text.empty()) {
        std::size_t eol = text.find('\n');
        std::string_view line = text.substr(0, eol);
        text = eol == std::string_view::npos ? std::string_view{} : text.substr(eol + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.empty()) continue;
        if (header) {
            header = false;
            continue;
        }
        std::vector<std::string> fields;
        for (std::size_t tab; (tab = line.find('\t')) != std::string_view::npos; line.remove_prefix(tab + 1))
            fields.emplace_back(line.substr(0, tab));
        fields.emplace_back(line);
        rows_.push_back(std::move(fields));
    }
}

} // namespace pelmora::refgen
