#pragma once
// A tab-separated table read from text: the header line is skipped, blank
// lines are ignored, fields are kept as text.

#include <string>
#include <string_view>
#include <vector>

namespace pelmora::refgen {

class TsvTable {
  public:
    explicit TsvTable(std::string_view text);
    const std::vector<std::vector<std::string>>& rows() const { return rows_; }

  private:
    std::vector<std::vector<std::string>> rows_;
};

} // namespace pelmora::refgen
