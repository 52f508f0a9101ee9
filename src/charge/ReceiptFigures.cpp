#include "ReceiptFigures.h"

#include "clsAccount.h"
#include "util/Clock.h"

#include <algorithm>
#include <array>
#include <numeric>
#include <string_view>

namespace pelmora {

namespace {

__extension__ using Wide = __int128;
constexpr std::int64_t kWon = Currency::kScale;

// Who carries a part of an item: the covered part is shared between the
// patient and the insurers, the partial-copay part likewise by its own
// figures, the 100/100 part and the non-covered part are the patient's.
enum Group { kCovered, kFull, kPartial, kNonCovered, kGroups };

struct Part {
    StoredChargeItem item;
    std::array<Currency, kGroups> in{};
};

std::vector<std::string_view> split(std::string_view text, char sep) {
    std::vector<std::string_view> out;
    if (text.empty()) return out;
    for (std::size_t start = 0;;) {
        const std::size_t p = text.find(sep, start);
        out.push_back(text.substr(start, p == std::string_view::npos ? std::string_view::npos : p - start));
        if (p == std::string_view::npos) return out;
        start = p + 1;
    }
}

bool blank(std::string_view s) {
    return s.find_first_not_of(" \t") == std::string_view::npos;
}
// A request field as the engine reads it; the run has read it already.
Currency money(std::string_view f) {
    return blank(f) ? Currency() : Currency::tryParse(f).value_or(Currency());
}
double number(std::string_view f) {
    return money(f).toDouble();
}
std::int16_t classIndex(const std::vector<std::string_view>& h, std::size_t i, int offset) {
    return h.size() > 11 && i < h.size() ? static_cast<std::int16_t>(money(h[i]).toInt32() - offset) : 0;
}

// The group a drug line's amount is charged in, or -1 when the engine counts
// it nowhere (a coverage or route it does not know).
int groupOf(std::string_view coverage, std::string_view route, int insClass) {
    if (route != "내복" && route != "외용" && route != "주사") return -1;
    int g = -1;
    if (coverage == "급여")
        g = kCovered;
    else if (coverage == "100/100")
        g = insClass == 9 ? kCovered : kFull; // veterans 100 carry these too
    else if (coverage == "비급여")
        g = kNonCovered;
    else if (coverage == "50/100" || coverage == "80/100" || coverage == "30/100" || coverage == "90/100")
        g = kPartial;
    if (g >= 0 && insClass == 19) g = kNonCovered; // uninsured: everything is non-covered
    return g;
}

void feeParts(const clsAccount& a, std::vector<Part>& parts) {
    static const std::array<const char*, 6> kNames = {"약국관리료",   "조제기본료",   "복약지도료",
                                                      "내복약조제료", "외용약조제료", "의약품관리료"};
    const std::array<std::pair<const std::string*, const std::string*>, 6> codes = {{
        {&a.보험_약국관리료_코드, &a.보험_약국관리료_명칭},
        {&a.보험_조제기본료_코드, &a.보험_조제기본료_명칭},
        {&a.보험_복약지도료_코드, &a.보험_복약지도료_명칭},
        {&a.보험_내복조제료_코드, &a.보험_내복조제료_명칭},
        {&a.보험_외용조제료_코드, &a.보험_외용조제료_명칭},
        {&a.보험_약품관리료_코드, &a.보험_약품관리료_명칭},
    }};
    const std::array<Currency, 6> covered = {a.보험_약국관리료_단가, a.보험_조제기본료_단가,
                                             a.보험_복약지도료_단가, a.보험_내복조제료_단가,
                                             a.보험_외용조제료_단가, a.보험_약품관리료_단가};
    const std::array<Currency, 6> nonCovered = {a.비보_약국관리료_단가, a.비보_조제기본료_단가,
                                                a.비보_복약지도료_단가, a.비보_내복조제료_단가,
                                                a.비보_외용조제료_단가, a.비보_약품관리료_단가};
    auto add = [&](std::string kind, const std::string& code, const std::string& name, const char* fallback,
                   Currency cov, Currency non) {
        if (cov == Currency() && non == Currency()) return;
        Part p;
        p.item.kind = std::move(kind);
        p.item.code = code;
        p.item.name = name.empty() ? fallback : name;
        p.in[kCovered] = cov;
        p.in[kNonCovered] = non;
        parts.push_back(std::move(p));
    };
    for (std::size_t i = 0; i < 6; ++i)
        add("FEE" + std::to_string(i + 1), *codes[i].first, *codes[i].second, kNames[i], covered[i],
            nonCovered[i]);

    static const std::array<const char*, 4> kSatNames = {"조제기본료 토요가산", "복약지도료 토요가산",
                                                         "내복약조제료 토요가산", "외용약조제료 토요가산"};
    const std::array<std::pair<const std::string*, const std::string*>, 4> satCodes = {{
        {&a.보험_조제기본료_토요가산_코드, &a.보험_조제기본료_토요가산_명칭},
        {&a.보험_복약지도료_토요가산_코드, &a.보험_복약지도료_토요가산_명칭},
        {&a.보험_내복조제료_토요가산_코드, &a.보험_내복조제료_토요가산_명칭},
        {&a.보험_외용조제료_토요가산_코드, &a.보험_외용조제료_토요가산_명칭},
    }};
    const std::array<Currency, 4> satCovered = {
        a.보험_조제기본료_토요가산_단가, a.보험_복약지도료_토요가산_단가, a.보험_내복조제료_토요가산_단가,
        a.보험_외용조제료_토요가산_단가};
    const std::array<Currency, 4> satNon = {a.비보_조제기본료_토요가산_단가, a.비보_복약지도료_토요가산_단가,
                                            a.비보_내복조제료_토요가산_단가, a.비보_외용조제료_토요가산_단가};
    for (std::size_t i = 0; i < 4; ++i)
        add("SAT" + std::to_string(i + 1), *satCodes[i].first, *satCodes[i].second, kSatNames[i],
            satCovered[i], satNon[i]);
}

// Each drug line priced as the engine prices it, and its price difference.
void drugParts(const clsAccount& a, const std::string& sPara1, const std::string& sPara2,
               const std::vector<std::string>& names, int insClass, std::vector<Part>& parts) {
    if (sPara2.find('$') == std::string::npos) return;
    const auto header = split(sPara1, '#');
    const std::string date = header.size() > 11 ? std::string(header[8]) : std::string();
    std::size_t n = 0;
    for (std::string_view record : split(sPara2, '$')) {
        const auto f = split(record, '#');
        if (f.size() < 13) continue;
        const std::size_t index = n++;
        const int g = groupOf(f[4], f[5], insClass);
        const Currency quantity = money(f[9]);
        const Currency amount = Currency::fromWon(a.NBRound(money(f[6]).mul(quantity).toDouble(), 3, 0));
        const Currency diff = Currency::fromWon(a.NBRound(quantity.mul(money(f[7])).toDouble(), 3, 0));
        if (blank(f[0]) && amount == Currency() && diff == Currency()) continue; // an empty grid row
        Part p;
        p.item.kind = "DRUG";
        p.item.code = std::string(f[0]);
        p.item.name = index < names.size() ? names[index] : std::string();
        p.item.unitPrice = money(f[6]);
        p.item.dose = number(f[1]);
        p.item.times = money(f[2]).toInt32();
        // A pack-unit drug is priced as one day from July 2011.
        p.item.days = date >= "20110701" && money(f[8]).toInt32() == 1 ? 1 : money(f[3]).toInt32();
        p.item.quantity = quantity.toDouble();
        if (g >= 0) p.in[static_cast<std::size_t>(g)] = amount;
        if (g >= 0 || amount == Currency()) parts.push_back(p);
        if (diff != Currency()) {
            Part d;
            d.item.kind = "DIFF";
            d.item.code = p.item.code;
            d.item.name = p.item.name;
            d.in[kNonCovered] = diff;
            parts.push_back(std::move(d));
        }
    }
}

} // namespace

std::vector<Currency> Apportion(Currency total, const std::vector<Currency>& weights) {
    const Wide sum = std::accumulate(weights.begin(), weights.end(), Wide(0),
                                     [](Wide s, Currency w) { return s + w.ticks(); });
    std::vector<Currency> out(weights.size());
    if (weights.empty() || sum <= 0) return out;
    std::vector<Wide> rest(weights.size());
    std::int64_t given = 0;
    for (std::size_t i = 0; i < weights.size(); ++i) {
        const Wide exact = Wide(total.ticks()) * weights[i].ticks();
        const Wide won = exact / (sum * kWon); // towards zero; the remainders share what is left
        out[i] = Currency::fromTicks(static_cast<std::int64_t>(won * kWon));
        rest[i] = exact - won * kWon * sum;
        given += out[i].ticks();
    }
    std::vector<std::size_t> order(weights.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t x, std::size_t y) { return rest[x] > rest[y]; });
    std::int64_t left = total.ticks() - given;
    const std::int64_t step = left >= 0 ? kWon : -kWon;
    for (std::size_t k = 0; k < order.size() && (left >= 0 ? left >= kWon : left <= -kWon); ++k) {
        out[order[k]] += Currency::fromTicks(step);
        left -= step;
    }
    // Less than a won left: it goes with the largest weight.
    const auto largest = std::max_element(weights.begin(), weights.end()) - weights.begin();
    out[static_cast<std::size_t>(largest)] += Currency::fromTicks(left);
    return out;
}

StoredCharge ReceiptFigures(const clsAccount& a, const std::string& sPara1, const std::string& sPara2,
                            const std::vector<std::string>& lineNames, bool runError) {
    StoredCharge c;
    const auto header = split(sPara1, '#');
    c.ageClass = classIndex(header, 0, 1);
    c.timeClass = classIndex(header, 1, 1);
    c.insClass = classIndex(header, 2, 0);
    const LocalDateTime now = Clock::now();
    c.pricedAt = now.yyyymmdd() + now.hhmmss();
    c.insDays = a.보험_투약_일수;
    c.biboDays = a.비보_투약_일수;
    c.runError = runError;

    // The partial-copay drugs the veterans' reduction takes off the insurer's
    // and the patient's part are the veterans' agency's.
    const Currency partialVeterans =
        a.결과_백대백미만총액 - a.결과_백대백미만청구액 - a.결과_백대백미만본인부담;
    c.bonin = a.결과_본인부담 - a.결과_지원금 + a.결과_백대백미만본인부담;
    c.gongdan = a.결과_보험청구액 + a.결과_백대백미만청구액;
    c.bohun = a.결과_보훈청구액 + partialVeterans;
    c.jiwon = a.결과_지원금;
    c.insurer = c.gongdan + c.bohun + c.jiwon;
    c.full = a.결과_백대백금액;
    c.bibo = a.결과_비보험액 + a.결과_백대백금액;
    c.collect = a.결과_받을금액;
    c.total = c.bonin + c.insurer + c.bibo;
    c.payment.cash = c.collect;

    std::vector<Part> parts;
    feeParts(a, parts);
    drugParts(a, sPara1, sPara2, lineNames, c.insClass, parts);

    // What each group adds up to on the receipt, and the patient's part of it.
    const std::array<Currency, kGroups> target = {a.결과_보험총약제비 + a.결과_보훈청구액, a.결과_백대백금액,
                                                  a.결과_백대백미만총액, a.결과_비보험액};
    const std::array<Currency, kGroups> patient = {a.결과_본인부담 - a.결과_지원금, Currency(),
                                                   a.결과_백대백미만본인부담, Currency()};
    StoredChargeItem adj{"ADJ", "", "끝수처리조정", {}, 0, 0, 0, 0, {}, {}, {}, {}, {}};
    StoredChargeItem flat{"FLAT", "", "정액 본인부담", {}, 0, 0, 0, 0, {}, {}, {}, {}, {}};
    for (int g = 0; g < kGroups; ++g) {
        std::vector<Currency> w;
        Currency sum;
        bool negative = false;
        for (const Part& p : parts) {
            w.push_back(p.in[g]);
            sum += p.in[g];
            negative = negative || p.in[g] < Currency();
        }
        const bool shared = g == kCovered || g == kPartial;
        std::vector<Currency> share(parts.size());
        // A patient part no item can carry (a flat share on nothing covered)
        // stands on a line of its own.
        if (shared && patient[g] != Currency()) {
            if (negative || sum <= Currency() || patient[g] > sum || patient[g] < Currency()) {
                flat.bonin += patient[g];
                flat.gongdan -= patient[g];
            } else {
                share = Apportion(patient[g], w);
            }
        }
        for (std::size_t i = 0; i < parts.size(); ++i) {
            StoredChargeItem& it = parts[i].item;
            const Currency x = parts[i].in[g];
            if (shared) {
                it.bonin += share[i];
                it.gongdan += x - share[i];
            } else if (g == kFull) {
                it.full += x;
            } else {
                it.bibo += x;
            }
        }
        const Currency cut = target[g] - sum;
        (shared ? adj.gongdan : g == kFull ? adj.full : adj.bibo) += cut;
    }
    for (Part& p : parts) {
        StoredChargeItem& it = p.item;
        it.amount = it.bonin + it.gongdan + it.full + it.bibo;
        c.items.push_back(std::move(it));
    }
    for (StoredChargeItem* extra : {&flat, &adj}) {
        extra->amount = extra->bonin + extra->gongdan + extra->full + extra->bibo;
        if (extra->bonin != Currency() || extra->gongdan != Currency() || extra->full != Currency() ||
            extra->bibo != Currency())
            c.items.push_back(*extra);
    }
    return c;
}

} // namespace pelmora
