// Hangul-aware strings: positions and lengths are CP949 bytes, the width the
// fixed-width fields are measured in. A cut that falls inside a two-byte
// character drops that character, so the result is always whole UTF-8.

#include "KVFun.h"

#include "Cp949.h"
#include "RuntimeError.h"

#include <algorithm>
#include <limits>

namespace pelmora {

namespace {

std::int32_t clampToLong(std::size_t n) {
    return n > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max())
               ? std::numeric_limits<std::int32_t>::max()
               : static_cast<std::int32_t>(n);
}

// The characters lying wholly inside CP949 bytes [begin, end).
std::string bytesWithin(std::string_view text, std::int64_t begin, std::int64_t end) {
    const auto units = cp949Units(text);
    std::size_t from = units.size(), to = units.size();
    std::int64_t pos = 0;
    for (std::size_t k = 0; k < units.size(); ++k) {
        const std::int64_t w = units[k].width;
        if (from == units.size() && pos >= begin) from = k;
        if (pos + w > end) {
            to = k;
            break;
        }
        pos += w;
    }
    if (from >= to) return {};
    return joinUnits(text, units, from, to);
}

} // namespace

std::int32_t KVFun::SRLenH(std::string_view strString) const {
    return clampToLong(cp949Length(strString));
}

std::string KVFun::SRLeftH(std::string_view strString, std::int32_t lngLength) const {
    if (lngLength < 0) throw rterr::invalidArgument();
    return bytesWithin(strString, 0, lngLength);
}

std::string KVFun::SRRightH(std::string_view strString, std::int32_t lngLength) const {
    if (lngLength < 0) throw rterr::invalidArgument();
    const auto units = cp949Units(strString);
    std::size_t from = units.size();
    std::int64_t taken = 0;
    while (from > 0 && taken + units[from - 1].width <= lngLength)
        taken += units[--from].width;
    return joinUnits(strString, units, from, units.size());
}

std::string KVFun::SRMidH(std::string_view strString, std::int32_t lngStart,
                          std::optional<std::int32_t> lngLength) const {
    if (lngStart < 1 || (lngLength && *lngLength < 0)) throw rterr::invalidArgument();
    const std::int64_t begin = static_cast<std::int64_t>(lngStart) - 1;
    const std::int64_t end = lngLength ? begin + *lngLength : std::numeric_limits<std::int64_t>::max();
    return bytesWithin(strString, begin, end);
}

std::int32_t KVFun::SRFindStr(std::string_view AllString, std::string_view cFindString) const {
    if (AllString.empty()) return 0;
    if (cFindString.empty()) return 1;
    const std::size_t at = AllString.find(cFindString);
    if (at == std::string_view::npos) return 0;
    return clampToLong(cp949Length(AllString.substr(0, at)) + 1);
}

std::string KVFun::SRMidSpc(std::string_view nText, std::int32_t nSpace, bool ChkMoney,
                            bool ChkRightAlign) const {
    if (nSpace < 0) throw rterr::invalidArgument();
    std::string text = ChkMoney ? SRFormat(Variant(nText)) : std::string(nText);
    std::int32_t width = SRLenH(text);
    if (width > nSpace) {
        // An amount cut short would be a wrong amount; text is cut to the field.
        if (ChkMoney) return text;
        text = SRLeftH(text, nSpace);
        width = SRLenH(text);
    }
    const std::string blanks(static_cast<std::size_t>(nSpace - width), ' ');
    return ChkRightAlign ? blanks + text : text + blanks;
}

void KVFun::ArySort_1St_STR(std::vector<std::vector<std::string>>& Ary,
                            std::vector<std::string>* AryQur) const {
    std::vector<std::size_t> order(Ary.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    const auto first = [&](std::size_t i) -> std::string_view {
        return Ary[i].empty() ? std::string_view() : std::string_view(Ary[i].front());
    };
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return first(a) < first(b); });
    std::vector<std::vector<std::string>> rows;
    rows.reserve(Ary.size());
    for (std::size_t i : order)
        rows.push_back(std::move(Ary[i]));
    Ary = std::move(rows);
    if (AryQur && AryQur->size() == order.size()) {
        std::vector<std::string> q;
        q.reserve(order.size());
        for (std::size_t i : order)
            q.push_back(std::move((*AryQur)[i]));
        *AryQur = std::move(q);
    }
}

} // namespace pelmora
