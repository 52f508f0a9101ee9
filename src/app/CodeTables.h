#pragma once
// The code tables of the main window's selection lists. The index of each
// entry is its code: the calculation reads the indices and saving stores them.

#include <array>
#include <cstdint>
#include <vector>

namespace pelmora::codes {

// cmb보험종류: the insurance class, 0..24.
extern const std::array<const char*, 25> kInsClass;

// cmb보험종류1 (kind) with the sub-kinds cmb보험종류2 receives for it and the
// class each pair selects.
struct SubKind {
    const char* text;
    int insClass;
};
struct InsKind {
    const char* text;
    std::vector<SubKind> subs;
};
const std::vector<InsKind>& insKinds();
// The kind and sub-kind that select a class; false when no pair does.
bool kindOfClass(int insClass, int* kind, int* sub);

// opt보험: the shortcut buttons, each a kind and a sub-kind.
struct InsShortcut {
    const char* caption;
    int kind;
    int sub;
};
extern const std::array<InsShortcut, 9> kInsShortcut;

extern const std::array<const char*, 5> kAfterHours; // cmb시간외
extern const std::array<const char*, 3> kAgeClass;   // cmb연령
// The drug grid's coverage (column 7) and route (column 8) lists: code − 1.
extern const std::array<const char*, 7> kCoverage;
extern const std::array<const char*, 3> kRoute;
// The text colour (&HBBGGRR) of the price difference, column 15, for a
// coverage index: black for 급여, red for 비급여, blue for 100/100, magenta
// for the partial-coverage groups.
std::int64_t coverageColour(int coverage);
// The columns of the drug grid sp처방, and its coverage indices that the
// line rules single out.
namespace drugcol {
inline constexpr int kCode = 1, kName = 2, kDose = 3, kTimes = 4, kDays = 5, kTotal = 6, kCoverage = 7,
                     kRoute = 8, kUnit = 9, kPrice = 10, kAmount = 11, kLastName = 12, kPack = 13,
                     kMaxPrice = 14, kDifference = 15, kSubstitute = 16;
inline constexpr int kCovered = 0, kNonCovered = 1;
} // namespace drugcol

// cmb본인부담여부: "해당없음", "M001".."M014", "B001".."B009", "B099".
const std::vector<const char*>& patientShareCodes();

} // namespace pelmora::codes
