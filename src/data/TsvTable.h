#pragma once
// A tab-separated table read from text: the header line apart from the
// rows, blank lines ignored, fields kept as text.

#include <string>
#include <string_view>
#include <vector>

namespace pelmora {

class TsvTable {
  public:
    explicit TsvTable(std::string_view text);
    const std::vector<std::string>& header() const { return header_; }
    const std::vector<std::vector<std::string>>& rows() const { return rows_; }

  private:
    std::vector<std::string> header_;
    std::vector<std::vector<std::string>> rows_;
};

} // namespace pelmora
