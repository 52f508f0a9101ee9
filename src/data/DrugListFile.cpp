#include "DrugListFile.h"

#include "ImportError.h"
#include "util/DateText.h"
#include "util/XlsxReader.h"

#include <regex>

namespace pelmora {

namespace {

using Kind = ImportError::Kind;

// Field order of col_: the optional columns first, as in DrugListFile::Optional.
enum Field { fMaker, fSize, fClass, fIngredient, fOldCode, fUnit, fCode, fName, fPrice, fRoute, kFields };

struct Header {
    Field field;
    std::vector<std::string> names; // with blanks and line breaks removed
};

const Header kHeaders[] = {
    {fCode, {"제품코드"}},
    {fName, {"제품명"}},
    {fPrice, {"상한금액", "상한금액표금액", "상한가"}},
    {fRoute, {"투여", "투여경로"}},
    {fMaker, {"업체명", "업소명"}},
    {fSize, {"규격"}},
    {fUnit, {"단위"}},
    {fClass, {"분류", "분류번호"}},
    {fIngredient, {"주성분코드"}},
    {fOldCode, {"목록정비전코드"}},
};
constexpr std::size_t kNone = static_cast<std::size_t>(-1);

// A header without blanks, tabs, line breaks and the no-break and
// ideographic spaces a spreadsheet may hold.
std::string squeezed(const std::string& s) {
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s.compare(i, 2, "\xC2\xA0") == 0 || s.compare(i, 3, "\xE3\x80\x80") == 0) {
            i += s[i] == '\xC2' ? 1 : 2;
            continue;
        }
        if (s[i] != ' ' && s[i] != '\t' && s[i] != '\r' && s[i] != '\n') out += s[i];
    }
    return out;
}

std::string trimmed(const std::string& s) {
    const auto b = s.find_first_not_of(" \t\r\n");
    return b == std::string::npos ? std::string() : s.substr(b, s.find_last_not_of(" \t\r\n") - b + 1);
}

bool digits(const std::string& s) {
    return !s.empty() && s.find_first_not_of("0123456789") == std::string::npos;
}

std::string routeEnding(const std::string& route) {
    const std::string r = squeezed(route);
    if (r == "내복" || r == "외용" || r == "주사") return "(" + r + ")";
    return {}; // 기타 and anything else: no route the pricing knows
}

} // namespace

std::string DrugListFile::dateInName(const std::string& name) {
    static const std::regex dotted(R"((20\d\d)\s*[.\-]\s*(\d{1,2})\s*[.\-]\s*(\d{1,2})(?!\d))");
    static const std::regex korean(R"((\d{2}|\d{4})\s*년\s*(\d{1,2})\s*월\s*(\d{1,2})\s*일)");
    static const std::regex plain(R"((?:^|\D)(20\d\d)(\d\d)(\d\d)(?!\d))");
    std::smatch m;
    for (const std::regex* re : {&dotted, &korean, &plain})
        if (std::regex_search(name, m, *re)) {
            int y = std::stoi(m[1].str());
            if (y < 100) y += 2000;
            if (auto d = DateText::of(y, std::stoi(m[2].str()), std::stoi(m[3].str()))) return *d;
        }
    return {};
}

DrugListFile::DrugListFile(const std::filesystem::path& file, const std::string& date) {
    try {
        xlsx_ = std::make_unique<XlsxReader>(file.string());
    } catch (const XlsxError& e) {
        throw ImportError(Kind::BadFile, file.filename().string() + ": " + e.what());
    }
    if (!date.empty()) {
        if (!DateText::isDate(date))
            throw ImportError(Kind::NoDate, "적용일 '" + date + "'은(는) 날짜가 아닙니다");
        date_ = date;
    } else {
        const std::string byFile = dateInName(file.stem().string()), bySheet = dateInName(xlsx_->sheetName());
        if (!byFile.empty() && !bySheet.empty() && byFile != bySheet)
            throw ImportError(Kind::NoDate, "파일 이름의 적용일(" + DateText::shown(byFile) +
                                                ")과 시트 이름의 적용일(" + DateText::shown(bySheet) +
                                                ")이 다릅니다. 적용일을 지정하십시오.");
        date_ = byFile.empty() ? bySheet : byFile;
        if (date_.empty())
            throw ImportError(Kind::NoDate,
                              "파일 이름과 시트 이름에서 적용일을 찾을 수 없습니다. 적용일을 지정하십시오.");
    }
    findHeader();
}

DrugListFile::~DrugListFile() = default;

// The header is the first row that names the product code, within the first
// rows (a title line above it is allowed).
void DrugListFile::findHeader() {
    bool found = false;
    try {
        xlsx_->readRows([&](std::size_t row, const std::vector<std::string>& cells) {
            col_.fill(kNone);
            for (std::size_t c = 0; c < cells.size(); ++c)
                for (const Header& h : kHeaders)
                    for (const std::string& n : h.names)
                        if (squeezed(cells[c]) == n && col_[h.field] == kNone) col_[h.field] = c;
            found = col_[fCode] != kNone;
            headerRow_ = row;
            return !found && row < 20;
        });
    } catch (const XlsxError& e) {
        throw ImportError(Kind::BadFile, e.what());
    }
    if (!found) throw ImportError(Kind::BadFile, "약제급여목록 파일이 아닙니다: '제품코드' 열이 없습니다");
    for (const Header& h : kHeaders)
        if ((h.field == fName || h.field == fPrice || h.field == fRoute) && col_[h.field] == kNone)
            throw ImportError(Kind::BadFile, "약제급여목록 파일에 '" + h.names.front() + "' 열이 없습니다");
    has_[kMaker] = col_[fMaker] != kNone;
    has_[kUnit] = col_[fSize] != kNone || col_[fUnit] != kNone;
    has_[kClass] = col_[fClass] != kNone;
    has_[kIngredient] = col_[fIngredient] != kNone;
    has_[kOldCode] = col_[fOldCode] != kNone;
}

bool DrugListFile::read(const std::function<void(ListedDrug&&)>& onDrug, std::vector<SkippedDrug>& skipped,
                        const std::function<bool(double)>& progress) {
    groupRows_ = 0;
    auto onRow = [&](std::size_t row, const std::vector<std::string>& cells) {
        if (row <= headerRow_) return true;
        auto cell = [&](Field f) { return col_[f] < cells.size() ? trimmed(cells[col_[f]]) : std::string(); };
        ListedDrug d;
        d.line = row + 1;
        d.code = cell(fCode);
        const std::string name = cell(fName), price = cell(fPrice);
        if (digits(d.code) && d.code.size() < 9)
            d.code.insert(0, 9 - d.code.size(), '0'); // a code kept as a number
        if (d.code.empty() || (!digits(d.code) && name.empty())) {
            ++groupRows_; // ingredient groups: the generic name in the code column
            return true;
        }
        auto skip = [&](const std::string& why) {
            skipped.push_back({d.line, d.code, name, why});
            return true;
        };
        if (!digits(d.code) || d.code.size() != 9) return skip("제품코드 형식 오류");
        if (name.empty()) return skip("제품명 없음");
        if (squeezed(price) == "산정불가") return skip("산정불가");
        const auto amount = Currency::tryParse(price);
        if (!amount || *amount < Currency{})
            return skip(price.empty() ? "상한금액 없음" : "상한금액 '" + price + "'");
        const std::string ending = routeEnding(cell(fRoute));
        d.name = name.ends_with(ending) ? name : name + ending;
        d.price = *amount;
        d.maker = cell(fMaker);
        d.unit = cell(fSize) + cell(fUnit);
        d.classNo = cell(fClass);
        d.ingredient = cell(fIngredient);
        d.oldCode = cell(fOldCode);
        onDrug(std::move(d));
        return true;
    };
    try {
        return xlsx_->readRows(onRow, progress);
    } catch (const XlsxError& e) {
        throw ImportError(Kind::BadFile, e.what());
    }
}

} // namespace pelmora
