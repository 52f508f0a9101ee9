#pragma once
// Working values of one charge computation; they reach the public variables
// only at the end, so a computation that fails leaves the results untouched.

#include "clsAccount.h"

#include <array>

namespace pelmora {

// Coverage groups of a drug line, in the order the drug totals are kept.
enum Coverage { kCovered, k100, kNonCovered, k50, k80, k30, k90, kCoverageCount };
// Routes of a drug line.
enum Route { kInternal, kExternal, kInjection, kRouteCount };

struct clsAccount::Work {
    // header
    std::int16_t ageClass = 0, afterHours = 0, insClass = 0;
    double rate = 0;
    std::int16_t noFeeForNonCovered = 0, publicHealth = 0, medicalAidExempt = 0, supportCode = 0;
    std::string date;
    std::int16_t packAll = 0, variant = 0, narcotics = 0, selfInjection = 0;

    // lines
    std::array<std::int16_t, kRouteCount> coveredCount{}, nonCoveredCount{};
    std::int16_t coveredDays = 0, nonCoveredDays = 0;
    std::array<std::array<Currency, kRouteCount>, kCoverageCount> drug{};
    Currency exception;
    std::array<Currency, kCoverageCount> drugSum{}; // the non-covered sum holds the exception total

    // fees
    FeeSet allFees, coveredFees;
    std::array<Currency, 6> nonCoveredFee{};
    std::array<Currency, 4> nonCoveredSat{};
    Currency coveredFeeTotal, coveredSatTotal, nonCoveredFeeTotal, nonCoveredSatTotal;

    // shares
    Currency amount100, nonCoveredAmount, insuredTotal, shareBase;
    Currency veteransClaim, patientShare, support;
    Currency partialTotal, partialPatient, partialClaim, partialVeterans;
};

} // namespace pelmora
