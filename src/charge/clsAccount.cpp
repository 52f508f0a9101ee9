// Reading the request, summing the drug costs and pricing the fees twice:
// once for all lines and once for the covered lines, the difference being
// the part of the fees caused by non-covered drugs.

#include "clsAccount.h"

#include "AccountWork.h"
#include "util/Messages.h"
#include "util/RuntimeError.h"

#include <algorithm>
#include <limits>
#include <string_view>
#include <vector>

namespace pelmora {

namespace {
// Splits as the runtime's Split does: an empty text has no pieces.
std::vector<std::string_view> split(std::string_view text, char sep) {
    std::vector<std::string_view> out;
    if (text.empty()) return out;
    std::size_t start = 0;
    for (;;) {
        std::size_t p = text.find(sep, start);
        if (p == std::string_view::npos) {
            out.push_back(text.substr(start));
            return out;
        }
        out.push_back(text.substr(start, p - start));
        start = p + 1;
    }
}

std::string_view piece(const std::vector<std::string_view>& f, std::size_t i) {
    if (i >= f.size()) throw rterr::subscriptOutOfRange();
    return f[i];
}

std::int16_t add16(std::int16_t a, std::int16_t b) {
    int s = a + b;
    if (s > std::numeric_limits<std::int16_t>::max() || s < std::numeric_limits<std::int16_t>::min())
        throw rterr::overflow();
    return static_cast<std::int16_t>(s);
}

int coverageOf(std::string_view c) {
    static constexpr std::string_view kTexts[kCoverageCount] = {"급여",   "100/100", "비급여", "50/100",
                                                                "80/100", "30/100",  "90/100"};
    for (int i = 0; i < kCoverageCount; ++i)
        if (c == kTexts[i]) return i;
    return -1;
}

int routeOf(std::string_view r) {
    if (r == "내복") return kInternal;
    if (r == "외용") return kExternal;
    if (r == "주사") return kInjection;
    return -1;
}
} // namespace

void clsAccount::SubAcount(std::string sPara1, std::string sPara2, RefConnection& cn) {
    cn_ = &cn;
    try {
        compute(sPara1, sPara2);
    } catch (const RuntimeError& e) {
        if (!ReportedError) ReportedError = errorText("clsAcount:SubAcount", e.number(), e.description());
        ShowError("clsAcount:SubAcount", e);
    }
}

Currency clsAccount::truncated10(Currency value) const {
    return Currency::fromWon(NBRound(value.toDouble(), 3, 1));
}

void clsAccount::compute(const std::string& sPara1, const std::string& sPara2) {
    Work w;
    auto int16 = [this](std::string_view field) { return moneyField(field).toInt16(); };

    // Header: a header of 11 pieces or fewer is not read at all.
    const auto h = split(sPara1, '#');
    if (h.size() > 11) {
        w.ageClass = int16(piece(h, 0));
        w.afterHours = int16(piece(h, 1));
        w.insClass = int16(piece(h, 2));
        w.rate = Nz(Variant(piece(h, 3)), 3).toDouble() * 0.01;
        w.noFeeForNonCovered = int16(piece(h, 4));
        w.publicHealth = int16(piece(h, 5));
        w.medicalAidExempt = int16(piece(h, 6));
        w.supportCode = int16(piece(h, 7));
        w.date = Nz(Variant(piece(h, 8)), 1).toText();
        w.packAll = int16(piece(h, 9));
        w.variant = int16(piece(h, 10));
        w.narcotics = int16(piece(h, 11));
        w.selfInjection = int16(piece(h, 12));
    }

    // Lines: only records with all twelve fields count.
    if (sPara2.find('$') != std::string::npos) {
        for (std::string_view record : split(sPara2, '$')) {
            const auto f = split(record, '#');
            if (f.size() < 13) continue;
            const int c = coverageOf(f[4]);
            const int r = routeOf(f[5]);
            if (r >= 0 && (c == kCovered || c == k100)) w.coveredCount[r] = add16(w.coveredCount[r], 1);
            if (r >= 0 && c == kNonCovered) w.nonCoveredCount[r] = add16(w.nonCoveredCount[r], 1);

            // A pack-unit drug counts as one day from 1 July 2011.
            const std::int16_t pack = int16(f[8]);
            const std::int16_t days = (w.date >= "20110701" && pack == 1) ? std::int16_t{1} : int16(f[3]);
            if (r == kInternal && c >= 0 && c != kNonCovered) w.coveredDays = std::max(w.coveredDays, days);
            if (r == kInternal && c == kNonCovered) w.nonCoveredDays = std::max(w.nonCoveredDays, days);

            const Currency unitPrice = moneyField(f[6]);
            const Currency quantity = moneyField(f[9]);
            const Currency amount = unitPrice.mul(quantity);
            const Currency line = Currency::fromWon(NBRound(amount.toDouble(), 3, 0));
            if (c >= 0 && r >= 0) w.drug[c][r] += line;
            // The price difference of a "J" code is billed apart, whatever the coverage.
            const Currency diff = quantity.mul(moneyField(f[7]));
            w.exception += Currency::fromWon(NBRound(diff.toDouble(), 3, 0));
        }
    }

    FeeShape all{add16(w.coveredCount[kInternal], w.nonCoveredCount[kInternal]),
                 add16(w.coveredCount[kExternal], w.nonCoveredCount[kExternal]),
                 add16(w.coveredCount[kInjection], w.nonCoveredCount[kInjection]),
                 std::max(w.coveredDays, w.nonCoveredDays),
                 w.ageClass,
                 w.afterHours,
                 w.date,
                 w.packAll,
                 w.variant,
                 w.narcotics,
                 w.selfInjection};
    SubSooGaAcount(all, w.allFees);
    FeeShape covered = all;
    covered.internal = w.coveredCount[kInternal];
    covered.external = w.coveredCount[kExternal];
    covered.injection = w.coveredCount[kInjection];
    covered.days = w.coveredDays;
    SubSooGaAcount(covered, w.coveredFees);

    for (const auto& item : w.coveredFees.item)
        w.coveredFeeTotal += item.amount;
    for (const auto& item : w.coveredFees.saturday)
        w.coveredSatTotal += item.amount;
    w.coveredFeeTotal += w.coveredSatTotal;

    if (w.noFeeForNonCovered != 2) {
        for (std::size_t i = 0; i < 6; ++i) {
            w.nonCoveredFee[i] = w.allFees.item[i].amount - w.coveredFees.item[i].amount;
            w.nonCoveredFeeTotal += w.nonCoveredFee[i];
        }
        for (std::size_t i = 0; i < 4; ++i) {
            w.nonCoveredSat[i] = w.allFees.saturday[i].amount - w.coveredFees.saturday[i].amount;
            w.nonCoveredSatTotal += w.nonCoveredSat[i];
        }
        w.nonCoveredFeeTotal += w.nonCoveredSatTotal;
    }

    sumDrugs(w);
    w.amount100 = truncated10(w.drugSum[k100]);
    w.nonCoveredAmount = truncated10(w.nonCoveredFeeTotal + w.drugSum[kNonCovered]);
    w.insuredTotal = truncated10(w.coveredFeeTotal + w.drugSum[kCovered]);
    w.shareBase = w.insuredTotal - saturdayPart(w);

    if (applyClass(w)) {
        patientShare(w);
        supportAndVeterans(w);
    }
    partialCopay(w);
    publish(w);
}

void clsAccount::sumDrugs(Work& w) const {
    for (int c = 0; c < kCoverageCount; ++c) {
        Currency s;
        for (const Currency& v : w.drug[c])
            s += v;
        if (c == kNonCovered) s += w.exception;
        w.drugSum[c] = s;
    }
}

Currency clsAccount::saturdayPart(const Work& w) const {
    // The Saturday surcharge was kept out of the share from October 2013,
    // half of it from October 2014, and counts in full again from October 2015.
    if (w.date >= "20151001" || w.date < "20131001") return Currency();
    if (w.date < "20141001") return w.coveredSatTotal;
    return w.coveredSatTotal.mul(0.5);
}

} // namespace pelmora
