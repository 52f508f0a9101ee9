#pragma once
// The national drug price list file (.xlsx) as rows of the price list: the
// date its prices apply from, and each product with the fields Pelmora
// stores. Columns are found by their header, with line breaks and blanks
// removed, so every published layout reads the same; ingredient-group rows
// and rows without a product code are passed over, and products that
// cannot be priced are set aside with the reason.

#include "util/Currency.h"

#include <array>
#include <cstddef>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace pelmora {

class XlsxReader;

// One product as its DBF심평원약 row takes it.
struct ListedDrug {
    std::size_t line = 0;   // sheet row, 1-based
    std::string code;       // 표준코드: the 9-digit product code, leading zeros kept
    std::string name;       // 약품명: the product name with its route ending
    std::string maker;      // 업소명
    std::string unit;       // 규격단위: 규격 and 단위 together ("1정", "95(1)mL/병")
    std::string classNo;    // 분류번호
    std::string ingredient; // 주성분코드
    std::string oldCode;    // 코드: the code before a list revision, when the file gives one
    Currency price;         // 상한가
};

struct SkippedDrug {
    std::size_t line = 0;
    std::string code, name, reason;
};

class DrugListFile {
  public:
    // Columns a layout may lack; a row then keeps what the product had.
    enum Optional { kMaker, kUnit, kClass, kIngredient, kOldCode, kOptionalCount };

    // Opens the file and finds its header and its date: `date` (YYYYMMDD)
    // when given, else the one in the file name or the sheet name. Raises
    // ImportError (BadFile, NoDate).
    DrugListFile(const std::filesystem::path& file, const std::string& date);
    ~DrugListFile();

    const std::string& date() const { return date_; }
    bool has(Optional column) const { return has_[column]; }

    // Streams the products in sheet order; the rest goes to skipped or is
    // counted as group rows. progress gets the share read (0 to 1) and
    // stops the reading with false; read() then returns false.
    bool read(const std::function<void(ListedDrug&&)>& onDrug, std::vector<SkippedDrug>& skipped,
              const std::function<bool(double)>& progress = {});
    long long groupRows() const { return groupRows_; }

    // The effective date a file or sheet name carries ("(2019.11.1.)",
    // "19년11월1일", "20240101"), "" when none.
    static std::string dateInName(const std::string& name);

  private:
    void findHeader();

    std::unique_ptr<XlsxReader> xlsx_;
    std::string date_;
    std::size_t headerRow_ = 0;
    std::array<std::size_t, 10> col_{}; // by the fields of the .cpp
    std::array<bool, kOptionalCount> has_{};
    long long groupRows_ = 0;
};

} // namespace pelmora
