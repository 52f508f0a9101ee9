#include "ChargeRequest.h"

#include "data/clsYakGa.h"
#include "util/KVFun.h"
#include "util/NumericText.h"
#include "util/RuntimeError.h"

#include <algorithm>
#include <array>
#include <memory>
#include <vector>

namespace pelmora {

namespace {

// Drug codes whose price difference to their twin (the code ending in "0"
// instead of "J") goes with the line.
constexpr std::array<std::string_view, 50> kTwinCodes = {
    "64000578J", "64170374J", "64190541J", "64210390J", "64220026J", "64220027J", "64220302J", "64240310J",
    "64250627J", "64270545J", "64290385J", "64330576J", "64350556J", "64390290J", "64491305J", "64530412J",
    "64590516J", "64780339J", "64810289J", "64850635J", "64900086J", "64980512J", "65000156J", "65030271J",
    "65260289J", "65310235J", "65340203J", "65380449J", "65730536J", "65750181J", "65870009J", "65870010J",
    "65870011J", "66840176J", "67030322J", "67170302J", "67860008J", "68450047J", "67000163J", "64160036J",
    "64160464J", "64250162J", "64350084J", "64360103J", "64810032J", "65560008J", "65560345J", "66170011J",
    "66170058J", "66890002J"};

constexpr std::string_view kSupportCodes = "v206v231v246";

std::string text(const Variant& v) {
    return v.isNull() ? std::string() : v.toText();
}

bool emptyCode(const ChargeRow& row) {
    return kvfun().Nz(row.col(1), 1).toText().empty();
}

// The characters of a text (UTF-8 sequences), so that Hangul counts as one.
std::vector<std::string_view> characters(std::string_view s) {
    std::vector<std::string_view> out;
    for (std::size_t i = 0; i < s.size();) {
        const auto lead = static_cast<unsigned char>(s[i]);
        std::size_t n = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        n = std::min(n, s.size() - i);
        out.push_back(s.substr(i, n));
        i += n;
    }
    return out;
}

std::string asciiCase(std::string_view s, bool upper) {
    std::string out(s);
    for (char& c : out)
        if (upper ? (c >= 'a' && c <= 'z') : (c >= 'A' && c <= 'Z')) c = static_cast<char>(c ^ 0x20);
    return out;
}

// A rate label's Tag as a number; a rate that is no number cannot be weighed
// against 30 and stops the run as a type mismatch.
Currency rateValue(const std::string& tag) {
    return kvfun().Nz(Variant(tag)).toCurrency();
}

// The smaller rate of the two labels, except that a rate of exactly 30 gives
// way to the other; 30 when neither label shows a rate. The labels' Tags
// take the rates weighed, an empty one counting as 30.
std::string specialRate(const std::string& caption1, const std::string& caption2, std::string& tag1,
                        std::string& tag2) {
    if (caption1.empty() && caption2.empty()) return "30";
    tag1 = caption1.empty() ? "30" : caption1;
    tag2 = caption2.empty() ? "30" : caption2;
    const Currency a = rateValue(tag1), b = rateValue(tag2), thirty = Currency::fromWon(30);
    if (a > b) return b == thirty ? tag1 : tag2;
    return a == thirty ? tag2 : tag1;
}

// A special code of the support fund: four characters found, in any letter
// case, in the run of the fund's codes.
bool supportCode(std::string_view code) {
    const std::string_view trimmed = trimSpaces(code);
    return characters(trimmed).size() == 4 &&
           kSupportCodes.find(asciiCase(trimmed, false)) != std::string_view::npos;
}

// The twin of a listed "J" code, or "" for any other code.
std::string twinCode(std::string_view code) {
    std::string twin = asciiCase(code, true);
    if (twin.empty() || twin.back() != 'J') return {};
    if (std::find(kTwinCodes.begin(), kTwinCodes.end(), twin) == kTwinCodes.end()) return {};
    twin.back() = '0';
    return twin;
}

std::string twinDifference(const ChargeRow& row, const std::string& date, const NewDrugLookup& newDrug) {
    const std::string twin = twinCode(text(row.col(1)));
    if (twin.empty()) return "0";
    clsYakGa& drug = newDrug();
    drug.Mode = 1;
    drug.vcYakCd = twin;
    drug.vcYakDt = date;
    drug.RecordSelect();
    if (!drug.FindResult) return "0";
    return (drug.mYakPr - kvfun().Nz(row.col(10)).toCurrency()).toText();
}

void field(std::string& s, std::string_view value) {
    s += value;
    s += '#';
}

} // namespace

ChargeRequest BuildChargeRequest(const ChargeInput& in, const NewDrugLookup& newDrug) {
    ChargeRequest rq;
    const auto& rows = in.sp처방;
    if (in.bLoading || rows.empty() || (rows.size() == 1 && emptyCode(rows.front()))) return rq;
    rq.run = true;

    // Late night is a surcharge for small children only; for anyone else the
    // night surcharge applies, and the screen is put right to match.
    rq.set시간외야간 = in.cmb시간외 == 3 && in.cmb연령 != 1;
    const std::string timeClass = rq.set시간외야간 ? std::string("2") : std::to_string(in.cmb시간외 + 1);

    bool allPacks = true, narcotics = false;
    for (const ChargeRow& row : rows) {
        if (emptyCode(row)) continue;
        if (kvfun().Nz(row.col(13)).toInt16() == 0) allPacks = false;
        if (text(row.col(16)).find("마약") != std::string::npos) narcotics = true;
    }

    const auto chars = characters(in.txt요양기관번호);
    std::string& h = rq.sPara1;
    field(h, std::to_string(in.cmb연령 + 1));
    field(h, timeClass);
    field(h, std::to_string(in.cmb보험종류));
    rq.tagsWritten = !(in.lab특정기호1.empty() && in.lab특정기호2.empty());
    field(h, specialRate(in.lab특정기호1, in.lab특정기호2, rq.lab특정기호1Tag, rq.lab특정기호2Tag));
    field(h, in.chk비급여조제료 ? "2" : "1");
    field(h, chars.size() >= 3 && chars[2] == "7" ? "2" : "1");
    field(h, in.cmb본인부담여부.starts_with('M') ? "2" : "1");
    field(h, supportCode(in.txt특정기호1) || supportCode(in.txt특정기호2) ? "1" : "2");
    field(h, in.pvd조제일자);
    field(h, allPacks ? "1" : "0");
    field(h, "2");
    field(h, narcotics ? "1" : "0");
    field(h, in.chk자가투여주사 ? "1" : "2");
    h += '$';

    std::string& d = rq.sPara2;
    for (const ChargeRow& row : rows) {
        for (int c : {1, 3, 4, 5})
            field(d, text(row.col(c)));
        field(d, row.보험구분);
        field(d, row.복용구분);
        field(d, text(row.col(10)));
        field(d, twinDifference(row, in.pvd조제일자, newDrug));
        for (int c : {13, 6, 14, 15})
            field(d, text(row.col(c)));
        d += '$';
    }
    return rq;
}

ChargeRequest BuildChargeRequest(const ChargeInput& in, RefConnection& cn) {
    std::unique_ptr<clsYakGa> drug;
    return BuildChargeRequest(in, [&]() -> clsYakGa& {
        drug = std::make_unique<clsYakGa>(cn);
        return *drug;
    });
}

std::string ChargeErrorText(const std::exception& e) {
    if (const auto* r = dynamic_cast<const RuntimeError*>(&e)) return r->description();
    return e.what();
}

} // namespace pelmora
