// Who pays what: the rules of the insurance class, the patient share, the
// support fund, the veterans' agency and the partial-copay drugs.

#include "clsAccount.h"

#include "AccountWork.h"

namespace pelmora {

namespace {
const Currency kWon500 = Currency::fromWon(500);
const Currency kWon1000 = Currency::fromWon(1000);
const Currency kWon1200 = Currency::fromWon(1200);
const Currency kWon10000 = Currency::fromWon(10000);
const Currency kWon12000 = Currency::fromWon(12000);

bool isVeterans(int ins) {
    return ins == 6 || ins == 7 || ins == 8 || ins == 22;
}

// The veterans' agency carries 1 − v of the partial-copay drugs.
double veteransReduction(int ins) {
    switch (ins) {
    case 6:
        return 0.3;
    case 7:
        return 0.5;
    case 8:
        return 0.6;
    default:
        return 0.9;
    }
}

void clearCoveredFees(FeeSet& covered) {
    for (auto& item : covered.item)
        item = FeeItem{};
    for (auto& item : covered.saturday)
        item.amount = Currency();
}
} // namespace

void clsAccount::veterans(Work& w, Currency remainder) const {
    const Currency sat = saturdayPart(w);
    w.veteransClaim = w.insuredTotal - remainder - sat;
    w.insuredTotal = remainder + sat;
    w.shareBase = remainder;
}

bool clsAccount::applyClass(Work& w) {
    switch (w.insClass) {
    case 11: // the pharmacist's own prescription: no dispensing fees at all
        clearCoveredFees(w.coveredFees);
        w.coveredFeeTotal = w.coveredSatTotal = Currency();
        w.nonCoveredFee = {};
        w.nonCoveredSat = {};
        w.nonCoveredFeeTotal = w.nonCoveredSatTotal = Currency();
        sumDrugs(w);
        w.amount100 = truncated10(w.drugSum[k100]);
        w.nonCoveredAmount = truncated10(w.nonCoveredFeeTotal + w.drugSum[kNonCovered]);
        w.insuredTotal = truncated10(w.coveredFeeTotal + w.drugSum[kCovered]);
        진료비실태상세계산유형 = "약사본인";
        진료비실태상세계산요율 = 0;
        진료비실태상세계산소아 = 0;
        return true;
    case 6:
    case 7:
    case 8:
    case 22: {
        double factor = w.insClass == 6 ? 0.7 : w.insClass == 7 ? 0.5 : 0.4;
        if (w.insClass == 22 && w.date >= "20180101") factor = 0.1;
        const Currency base = w.coveredFeeTotal + w.drugSum[kCovered] - saturdayPart(w);
        veterans(w, Currency::fromWon(NBRound(base.toDouble() * factor, 3, 1)));
        return true;
    }
    case 9: // veterans 100: the agency pays everything, the 100/100 drugs included
        for (int r = 0; r < kRouteCount; ++r)
            w.drug[kCovered][r] += w.drug[k100][r];
        w.drugSum[kCovered] += w.drugSum[k100];
        w.insuredTotal += w.amount100;
        w.drug[k100] = {};
        w.drugSum[k100] = Currency();
        w.amount100 = Currency();
        w.coveredSatTotal = Currency();
        veterans(w, Currency());
        return true;
    case 2:
    case 3:
    case 4:
    case 5:
    case 16:
    case 17:
        if (w.publicHealth != 2 && w.medicalAidExempt != 2 && w.shareBase >= kWon500) {
            w.patientShare = kWon500;
            진료비실태상세계산유형 = "정액";
        } else {
            w.patientShare = Currency();
            진료비실태상세계산유형 = "전액";
        }
        진료비실태상세계산요율 = 0;
        진료비실태상세계산소아 = 0;
        return false;
    case 10:
    case 12:
    case 13:
    case 14:
    case 15:
    case 21:
        w.patientShare = w.insClass == 14 ? w.insuredTotal : Currency();
        진료비실태상세계산유형 = "전액";
        진료비실태상세계산요율 = 0;
        진료비실태상세계산소아 = 0;
        return false;
    case 19: { // uninsured: everything is billed as non-covered
        clearCoveredFees(w.coveredFees);
        w.coveredFeeTotal = w.coveredSatTotal = Currency();
        w.nonCoveredFee = {};
        w.nonCoveredSat = {};
        w.nonCoveredFeeTotal = w.nonCoveredSatTotal = Currency();
        if (w.noFeeForNonCovered != 2) {
            for (std::size_t i = 0; i < 6; ++i)
                w.nonCoveredFee[i] = w.allFees.item[i].amount;
            for (std::size_t i = 0; i < 4; ++i)
                w.nonCoveredSat[i] = w.allFees.saturday[i].amount;
            for (const auto& a : w.nonCoveredSat)
                w.nonCoveredSatTotal += a;
            for (const auto& a : w.nonCoveredFee)
                w.nonCoveredFeeTotal += a;
            w.nonCoveredFeeTotal += w.nonCoveredSatTotal;
        }
        // Covered, 100/100 and partial-copay drugs are all paid in full by the patient.
        for (int c = 0; c < kCoverageCount; ++c) {
            if (c == kNonCovered) continue;
            for (int r = 0; r < kRouteCount; ++r)
                w.drug[kNonCovered][r] += w.drug[c][r];
            w.drug[c] = {};
        }
        sumDrugs(w);
        w.amount100 = Currency();
        w.nonCoveredAmount = truncated10(w.nonCoveredFeeTotal + w.drugSum[kNonCovered]);
        w.insuredTotal = Currency();
        w.patientShare = Currency();
        진료비실태상세계산유형 = "비급여";
        return false;
    }
    case 0:
    case 23:
    case 24:
        w.patientShare = Currency();
        return false;
    default: // 1, 18, 20
        return true;
    }
}

void clsAccount::patientShare(Work& w) {
    const double rate = w.rate;
    const bool special = rate == 0.5 || rate == 0.4 || rate == 0.1 || rate == 0.05;
    const bool elderly = w.ageClass == 3 && !special;
    if (elderly && w.date >= "20180101" && w.shareBase <= kWon10000) {
        w.patientShare = kWon1000;
        진료비실태상세계산유형 = "정액";
    } else if (elderly && w.date >= "20180101" && w.shareBase > kWon10000 && w.shareBase <= kWon12000) {
        w.patientShare = w.shareBase.mul(0.2);
        진료비실태상세계산유형 = "정률";
        진료비실태상세계산요율 = rate;
        진료비실태상세계산소아 = 0;
    } else if (elderly && w.shareBase <= kWon10000) {
        w.patientShare = kWon1200;
        진료비실태상세계산유형 = "정액";
    } else {
        Currency s = w.insuredTotal.mul(rate);
        if (w.ageClass == 2 && rate != 0.1 && rate != 0.05) {
            s = s.mul(0.7);
            진료비실태상세계산소아 = 1;
        } else {
            진료비실태상세계산소아 = 0;
        }
        진료비실태상세계산유형 = "정률";
        진료비실태상세계산요율 = rate;
        w.patientShare = Currency::fromWon(NBRound(s.toDouble(), 3, 2));
    }
    // The veterans' agency carries the whole share of a veteran at 100 %.
    if (w.insClass == 9) w.patientShare = Currency();
    // The pharmacist's own prescription keeps its own breakdown.
    if (w.insClass == 11) {
        진료비실태상세계산유형 = "약사본인";
        진료비실태상세계산요율 = 0;
        진료비실태상세계산소아 = 0;
    }
}

void clsAccount::supportAndVeterans(Work& w) {
    const int ins = w.insClass;
    if (ins == 18 || ins == 20) {
        w.support = w.patientShare;
        진료비실태상세계산유형 = "지원금";
    } else if (w.supportCode == 1 && (ins == 1 || isVeterans(ins) || ins == 9)) {
        w.support = w.patientShare.mul(0.5);
        진료비실태상세계산유형 = "지원금";
        진료비실태상세계산요율 = 0;
        진료비실태상세계산소아 = 0;
    }
    if (isVeterans(ins) || ins == 9) {
        진료비실태상세계산유형 = ins == 9 ? "전액" : "정액";
        진료비실태상세계산요율 = 0;
        진료비실태상세계산소아 = 0;
    }
}

void clsAccount::partialCopay(Work& w) const {
    static constexpr int kGroups[4] = {k50, k80, k30, k90};
    static constexpr double kPatientPart[4] = {0.5, 0.8, 0.3, 0.9};
    const int ins = w.insClass;
    Currency groupTotal;
    for (int g : kGroups)
        groupTotal += w.drugSum[g];
    w.partialTotal = truncated10(groupTotal);

    Currency shares;
    for (int i = 0; i < 4; ++i) {
        const Currency t = w.drugSum[kGroups[i]];
        if (isVeterans(ins)) {
            const double v = veteransReduction(ins);
            shares += Currency::fromDouble((t.toDouble() - t.toDouble() * v) * kPatientPart[i]);
        } else if (ins == 24) {
            shares += t;
        } else if (ins != 9) {
            shares += t.mul(kPatientPart[i]);
        }
    }
    w.partialPatient = truncated10(shares);

    if (isVeterans(ins)) {
        const double total = w.partialTotal.toDouble();
        w.partialClaim =
            Currency::fromDouble(total - total * veteransReduction(ins) - w.partialPatient.toDouble());
        w.partialVeterans = Currency();
    } else if (ins == 9) {
        w.partialPatient = Currency();
        w.partialClaim = Currency();
        w.partialVeterans = w.partialTotal;
    } else if (ins == 23 || ins == 24) {
        // Wounded veterans pay a fifth of the share, a tenth from 2018.
        const double part = w.date < "20180101" ? 0.2 : 0.1;
        w.partialPatient = Currency::fromWon(NBRound(w.partialPatient.toDouble() * part, 3, 1));
        w.partialClaim = Currency();
        w.partialVeterans = w.partialTotal - w.partialPatient;
    } else {
        w.partialClaim = w.partialTotal - w.partialPatient;
        w.partialVeterans = Currency();
    }
}

} // namespace pelmora
